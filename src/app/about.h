#pragma once
// The About box: version and build stamp, and the verbose-mode switch.

#include <string>

#include "ui/ui.h"

namespace zt {

int AboutProc(ui::Window& w, const ui::Message& m);
void RunAboutBox(ui::Window& owner);

// "Ver 5.3, Built hh:mm:ss, Mmm dd yyyy" from this build's stamps.
std::string VersionLine();
std::string OperatingSystemLine();

}  // namespace zt
