#include "ui/qt/qt_icon_images.h"

#include <QColor>
#include <QDir>
#include <QSaveFile>
#include <cstdio>

#include "ui/qt/icon_theme.h"

namespace zt::icon {

namespace {

// The largest size asked for is a whole multiple of the source, so the
// blown-up copy never has to be scaled up again.
constexpr int kWorkSize = 256;

}  // namespace

QImage IconImage(const char* const* xpm, int size) {
    const QImage source(xpm);
    if (source.isNull() || size <= 0) return {};
    // Premultiplied, so that averaging never lets a transparent pixel's
    // colour bleed into its neighbours.
    const QImage argb = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int work = std::max(kWorkSize, size);
    const QImage blocks = argb.scaled(work, work, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    if (size == work) return blocks.convertToFormat(QImage::Format_ARGB32);
    return blocks.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_ARGB32);
}

std::string IconSvg(const char* const* xpm) {
    const QImage image = QImage(xpm).convertToFormat(QImage::Format_ARGB32);
    if (image.isNull()) return {};
    const int w = image.width(), h = image.height();
    char line[160];
    std::snprintf(line, sizeof line,
                  "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" "
                  "viewBox=\"0 0 %d %d\" shape-rendering=\"crispEdges\">\n",
                  w, h, w, h);
    std::string svg = line;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w;) {
            const QRgb pixel = image.pixel(x, y);
            int end = x + 1;
            while (end < w && image.pixel(end, y) == pixel) ++end;
            if (qAlpha(pixel) != 0) {
                const QColor c = QColor::fromRgba(pixel);
                std::string fill = c.name(QColor::HexRgb).toUpper().toStdString();
                std::snprintf(line, sizeof line,
                              "<rect x=\"%d\" y=\"%d\" width=\"%d\" height=\"1\" fill=\"%s\"", x, y,
                              end - x, fill.c_str());
                svg += line;
                if (qAlpha(pixel) != 255) {
                    std::snprintf(line, sizeof line, " fill-opacity=\"%.3f\"",
                                  qAlpha(pixel) / 255.0);
                    svg += line;
                }
                svg += "/>\n";
            }
            x = end;
        }
    }
    svg += "</svg>\n";
    return svg;
}

namespace {

bool MakeFolder(const QString& path, std::string* failure) {
    if (QDir().mkpath(path)) return true;
    *failure += "cannot create " + path.toStdString() + "\n";
    return false;
}

void Fail(const QString& path, std::string* failure) {
    *failure += "cannot write " + path.toStdString() + "\n";
}

}  // namespace

bool WriteIconTheme(const char* const* xpm, const std::string& outDir, std::string* failure) {
    failure->clear();
    const QString root = QString::fromStdString(outDir) + "/hicolor";
    for (int size : kSizes) {
        const QString folder = root + QString("/%1x%1/apps").arg(size);
        const QString path = folder + "/zttools.png";
        const QImage image = IconImage(xpm, size);
        if (image.isNull() || !MakeFolder(folder, failure) || !image.save(path, "PNG"))
            Fail(path, failure);
    }
    const QString folder = root + "/scalable/apps";
    const QString path = folder + "/zttools.svg";
    const std::string svg = IconSvg(xpm);
    QSaveFile file(path);
    if (svg.empty() || !MakeFolder(folder, failure) || !file.open(QIODevice::WriteOnly) ||
        file.write(svg.data(), qint64(svg.size())) != qint64(svg.size()) || !file.commit())
        Fail(path, failure);
    return failure->empty();
}

}  // namespace zt::icon
