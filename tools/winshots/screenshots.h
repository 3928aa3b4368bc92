#pragma once
// The screenshot run, for the demo: the program presses its own buttons as an
// operator would (Test ZT, About, Set Com Port, RTTY, FW Update, a refused
// user switch that brings up a message box, Exit) and saves each window it
// shows into a folder as a BMP file, with a log of what it did.

#include <string>

namespace zt {

// Starts the run on the window thread's timer; the main window, once it is
// up, is driven from there.
void StartScreenshots(const std::string& folder);

}  // namespace zt
