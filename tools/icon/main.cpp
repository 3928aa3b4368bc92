// zticon OUTDIR: writes the program's icon into OUTDIR as a hicolor theme
// tree for the install step.

#include <cstdio>
#include <string>

#include "resources/templates.h"
#include "ui/qt/icon_theme.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zticon OUTDIR\n");
        return 2;
    }
    std::string failure;
    if (zt::icon::WriteIconTheme(zt::kIconXpm, argv[1], &failure)) return 0;
    std::fprintf(stderr, "zticon: %s", failure.c_str());
    return 1;
}
