#pragma once

#include <string>

#include "app/session.h"

namespace zt {

// Reads the COM port number from this platform's configuration file into
// the session, creating the file when there is none; a failure is shown.
void LoadConfiguration(Session& session);
// With session as the current one: LoadConfiguration, then the main window
// until it ends; returns the program's exit status. A settingsFile (zttools
// FILE) is read as Read Config File reads it, once the window is up.
int RunProgram(Session& session, const std::string& settingsFile = {});

}  // namespace zt
