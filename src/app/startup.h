#pragma once

#include "common/config_file.h"

namespace zt {

// Reads the configuration file and runs the main window until it ends;
// returns the program's exit status.
int RunProgram();

// A configuration file failure as the operator sees it: a warning box with
// no owner. Nothing for Ok.
void ShowConfigStatus(ConfigStatus status);

}  // namespace zt
