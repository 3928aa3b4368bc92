#pragma once

namespace zt {

// Reads the configuration file and runs the main window until it ends;
// returns the program's exit status.
int RunProgram();

}  // namespace zt
