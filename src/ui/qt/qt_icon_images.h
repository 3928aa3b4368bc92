#pragma once
// The program's icon, drawn from its XPM rows at the sizes that desktops
// look up in the hicolor theme.

#include <QImage>
#include <string>

namespace zt::icon {

// The square sizes, in pixels, that the build installs as PNG.
inline constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// The icon at size x size pixels. Each source pixel is first blown up to a
// block (so every edge stays sharp), and the result is area-averaged down
// to the size asked for: a multiple of the source size comes out as exact
// blocks, any other size as each output pixel's share of the source.
// Transparent pixels stay transparent. A null image if the rows are not XPM.
QImage IconImage(const char* const* xpm, int size);

// The icon as SVG: one rectangle per run of equal pixels in a row, on a
// view box of the source's pixels, so that it scales without blurring.
// Empty if the rows are not XPM.
std::string IconSvg(const char* const* xpm);

}  // namespace zt::icon
