#pragma once
// zttools.exe's screenshot mode, for the demo: with ZT_SCREENSHOTS naming a
// folder, the program presses its own buttons as an operator would (Test ZT,
// About, Set Com Port, RTTY, FW Update, a refused user switch that brings up
// a message box, Exit) and saves each window it shows there as a BMP file.
// Without the variable it does nothing.

namespace zt {

void StartScreenshotsIfAsked();

}  // namespace zt
