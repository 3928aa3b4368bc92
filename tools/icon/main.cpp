// zticon OUTDIR: writes the program's icon into OUTDIR as a hicolor theme
// tree, OUTDIR/hicolor/NxN/apps/zttools.png for each size and
// OUTDIR/hicolor/scalable/apps/zttools.svg, for the install step.

#include <QDir>
#include <QSaveFile>
#include <cstdio>
#include <string>

#include "icon/icon_images.h"
#include "resources/templates.h"

namespace {

bool MakeFolder(const QString& path) {
    if (QDir().mkpath(path)) return true;
    std::fprintf(stderr, "zticon: cannot create %s\n", qPrintable(path));
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zticon OUTDIR\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]) + "/hicolor";
    int failures = 0;
    for (int size : zt::icon::kSizes) {
        const QString folder = root + QString("/%1x%1/apps").arg(size);
        const QString path = folder + "/zttools.png";
        const QImage image = zt::icon::IconImage(zt::kIconXpm, size);
        if (image.isNull() || !MakeFolder(folder) || !image.save(path, "PNG")) {
            std::fprintf(stderr, "zticon: cannot write %s\n", qPrintable(path));
            ++failures;
        }
    }
    const QString folder = root + "/scalable/apps";
    const QString path = folder + "/zttools.svg";
    const std::string svg = zt::icon::IconSvg(zt::kIconXpm);
    QSaveFile file(path);
    if (svg.empty() || !MakeFolder(folder) || !file.open(QIODevice::WriteOnly) ||
        file.write(svg.data(), qint64(svg.size())) != qint64(svg.size()) || !file.commit()) {
        std::fprintf(stderr, "zticon: cannot write %s\n", qPrintable(path));
        ++failures;
    }
    return failures ? 1 : 0;
}
