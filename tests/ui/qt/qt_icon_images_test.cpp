// The installed icon files against the XPM rows they are drawn from, read
// here with a parser of our own rather than Qt's.

#include "ui/qt/qt_icon_images.h"

#include <gtest/gtest.h>

#include <QColor>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "resources/templates.h"

namespace {

// Premultiplied RGBA in 0..255 as doubles, so averages keep their fractions.
struct Pixel {
    double r = 0, g = 0, b = 0, a = 0;
};

struct Source {
    int width = 0, height = 0;
    std::vector<Pixel> pixels;  // premultiplied
    const Pixel& at(int x, int y) const { return pixels[y * width + x]; }
};

Source ReadXpm(const char* const* xpm) {
    Source s;
    int colours = 0, cpp = 0;
    std::istringstream(xpm[0]) >> s.width >> s.height >> colours >> cpp;
    std::map<char, Pixel> palette;
    for (int i = 1; i <= colours; ++i) {
        const std::string entry = xpm[i];
        const std::string value = entry.substr(4);
        Pixel p;
        if (value != "None") {
            const unsigned long rgb = std::strtoul(value.c_str() + 1, nullptr, 16);
            p = {double(rgb >> 16 & 0xFF), double(rgb >> 8 & 0xFF), double(rgb & 0xFF), 255};
        }
        palette[entry[0]] = p;
    }
    for (int y = 0; y < s.height; ++y)
        for (char ch : std::string(xpm[1 + colours + y])) s.pixels.push_back(palette.at(ch));
    return s;
}

Pixel Premultiplied(QRgb rgb) {
    const double a = qAlpha(rgb);
    return {qRed(rgb) * a / 255, qGreen(rgb) * a / 255, qBlue(rgb) * a / 255, a};
}

// The exact share of the source under output pixel (ox, oy) of a size x
// size image: each source pixel weighted by how much of it the output pixel
// covers.
Pixel Covered(const Source& s, int size, int ox, int oy) {
    const double scale = double(s.width) / size;
    const double x0 = ox * scale, x1 = (ox + 1) * scale;
    const double y0 = oy * scale, y1 = (oy + 1) * scale;
    Pixel sum;
    double area = 0;
    for (int y = int(y0); y < int(std::ceil(y1)); ++y) {
        const double h = std::min(y1, y + 1.0) - std::max(y0, double(y));
        for (int x = int(x0); x < int(std::ceil(x1)); ++x) {
            const double w = std::min(x1, x + 1.0) - std::max(x0, double(x));
            const Pixel& p = s.at(x, y);
            sum.r += p.r * w * h;
            sum.g += p.g * w * h;
            sum.b += p.b * w * h;
            sum.a += p.a * w * h;
            area += w * h;
        }
    }
    return {sum.r / area, sum.g / area, sum.b / area, sum.a / area};
}

// The largest difference in any channel, premultiplied, over the image.
double WorstDifference(const Source& s, const QImage& image) {
    double worst = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const Pixel want = Covered(s, image.width(), x, y);
            const Pixel got = Premultiplied(image.pixel(x, y));
            for (double d : {want.r - got.r, want.g - got.g, want.b - got.b, want.a - got.a})
                worst = std::max(worst, std::abs(d));
        }
    return worst;
}

class IconSizes : public ::testing::TestWithParam<int> {};

TEST_P(IconSizes, EachPixelIsTheShareOfTheSourceItCovers) {
    const int size = GetParam();
    const Source source = ReadXpm(zt::kIconXpm);
    ASSERT_EQ(source.width, 32);
    const QImage image = zt::icon::IconImage(zt::kIconXpm, size);
    ASSERT_FALSE(image.isNull());
    ASSERT_EQ(image.width(), size);
    ASSERT_EQ(image.height(), size);
    EXPECT_TRUE(image.hasAlphaChannel());
    if (size % source.width == 0) {
        // Whole blocks: nothing may be blended at all.
        EXPECT_EQ(WorstDifference(source, image), 0.0) << size;
    } else {
        // Rounding to 8 bits costs a level or so; a nearest-pixel pick is
        // off by a hundred and more.
        EXPECT_LE(WorstDifference(source, image), 2.0) << size;
    }
}

INSTANTIATE_TEST_SUITE_P(Installed, IconSizes, ::testing::ValuesIn(zt::icon::kSizes));

TEST(IconImage, CornersStayTransparentAndTheTileOpaque) {
    for (int size : zt::icon::kSizes) {
        const QImage image = zt::icon::IconImage(zt::kIconXpm, size);
        ASSERT_EQ(image.width(), size);
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << size;
        EXPECT_EQ(qAlpha(image.pixel(size - 1, size - 1)), 0) << size;
        // The middle of the left edge is tile colour, #1B2A49, at every size.
        EXPECT_EQ(image.pixel(0, size / 2), qRgba(0x1B, 0x2A, 0x49, 255)) << size;
    }
}

TEST(IconImage, RowsThatAreNotXpmGiveNoImage) {
    const char* const rows[] = {"not an icon", "", ""};
    EXPECT_TRUE(zt::icon::IconImage(rows, 32).isNull());
    EXPECT_TRUE(zt::icon::IconSvg(rows).empty());
    EXPECT_TRUE(zt::icon::IconImage(zt::kIconXpm, 0).isNull());
}

// The SVG's rectangles painted onto a grid must give back the XPM exactly,
// every pixel covered once at most.
TEST(IconSvg, RectanglesRepaintTheSource) {
    const Source source = ReadXpm(zt::kIconXpm);
    const std::string svg = zt::icon::IconSvg(zt::kIconXpm);
    ASSERT_NE(svg.find("viewBox=\"0 0 32 32\""), std::string::npos) << svg.substr(0, 200);
    ASSERT_EQ(svg.rfind("</svg>\n"), svg.size() - 7);

    std::vector<Pixel> painted(source.pixels.size());
    std::vector<int> coats(source.pixels.size(), 0);
    // Every element is a rectangle in this form; nothing else is drawn.
    const char* const form =
        "<rect x=\"%d\" y=\"%d\" width=\"%d\" height=\"1\" fill=\"#%6[0-9A-F]\"/>%n";
    int rects = 0;
    for (std::size_t at = svg.find('<'); at != std::string::npos; at = svg.find('<', at + 1)) {
        if (svg.compare(at, 5, "<rect") != 0) continue;
        int x = 0, y = 0, w = 0, used = 0;
        char hex[7] = {};
        ASSERT_EQ(std::sscanf(svg.c_str() + at, form, &x, &y, &w, hex, &used), 4)
            << svg.substr(at, 80);
        ASSERT_GT(used, 0) << svg.substr(at, 80);
        ASSERT_EQ(std::strlen(hex), 6u) << svg.substr(at, 80);
        ++rects;
        const unsigned long rgb = std::strtoul(hex, nullptr, 16);
        ASSERT_LE(x + w, source.width);
        ASSERT_LT(y, source.height);
        for (int i = x; i < x + w; ++i) {
            painted[y * source.width + i] = {double(rgb >> 16), double(rgb >> 8 & 0xFF),
                                             double(rgb & 0xFF), 255};
            ++coats[y * source.width + i];
        }
    }
    EXPECT_GT(rects, 0);

    for (int y = 0; y < source.height; ++y)
        for (int x = 0; x < source.width; ++x) {
            const Pixel& want = source.at(x, y);
            const Pixel& got = painted[y * source.width + x];
            EXPECT_LE(coats[y * source.width + x], 1) << x << "," << y;
            EXPECT_EQ(got.a, want.a) << x << "," << y;
            EXPECT_EQ(got.r, want.r) << x << "," << y;
            EXPECT_EQ(got.g, want.g) << x << "," << y;
            EXPECT_EQ(got.b, want.b) << x << "," << y;
        }
    // Runs, not single pixels: the tile's rows are one rectangle each at most
    // a few, so the file stays small.
    EXPECT_LT(rects, source.width * source.height / 4);
}

}  // namespace
