#pragma once
// The program's icon as a hicolor theme tree, drawn with Qt's image code:
// OUTDIR/hicolor/NxN/apps/zttools.png for each size and
// OUTDIR/hicolor/scalable/apps/zttools.svg. Qt stays behind this header.

#include <string>

namespace zt::icon {

// False with what could not be made or written, a line each.
bool WriteIconTheme(const char* const* xpm, const std::string& outDir, std::string* failure);

}  // namespace zt::icon
