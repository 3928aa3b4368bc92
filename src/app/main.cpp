// zttools: the desktop program. Everything but the windows is in the core;
// this file only picks the host that shows them: Qt on Linux, Win32 itself
// on Windows.
#include "app/startup.h"
#include "resources/ids.h"
#include "resources/templates.h"

#ifdef _WIN32
#include "ui/win32/win32_host.h"

int main() {
    ui::Win32Host host(GetModuleHandleA(nullptr), zt::ids::kIcon);
    ui::setHost(&host);
    return zt::RunProgram();
}
#else
#include <QApplication>

#include "ui/qt/qt_host.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ui::QtHost host(zt::kIconXpm);
    ui::setHost(&host);
    return zt::RunProgram();
}
#endif
