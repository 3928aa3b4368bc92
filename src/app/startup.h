#pragma once

namespace zt {

// Reads the COM port number from this platform's configuration file into
// the session, creating the file when there is none; a failure is shown.
void LoadConfiguration();
// LoadConfiguration, then the main window until it ends; returns the
// program's exit status.
int RunProgram();

}  // namespace zt
