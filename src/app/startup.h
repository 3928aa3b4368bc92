#pragma once

#include <string>

namespace zt {

// Reads the COM port number from this platform's configuration file into
// the session, creating the file when there is none; a failure is shown.
void LoadConfiguration();
// LoadConfiguration, then the main window until it ends; returns the
// program's exit status. A settingsFile (zttools FILE) is read as Read
// Config File reads it, once the window is up.
int RunProgram(const std::string& settingsFile = {});

}  // namespace zt
