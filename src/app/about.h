#pragma once
// The About box: version and build stamp, and the verbose-mode switch.

#include <string>

#include "ui/ui.h"
#include "version/version.h"  // VersionLine, the box's first line

namespace zt {

int AboutProc(ui::Window& w, const ui::Message& m);
void RunAboutBox(ui::Window& owner);

std::string OperatingSystemLine();

}  // namespace zt
