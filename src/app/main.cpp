// zttools: the desktop program. Everything but the windows is in the core;
// this file only picks the host that shows them: Qt on Linux, Win32 itself
// on Windows.
#include "app/launch.h"
#include "app/startup.h"
#include "resources/ids.h"
#include "resources/templates.h"

#ifdef _WIN32
#include "ui/win32/win32_host.h"

// A program without a console: --help and --version show their text in a
// message box.
int main(int argc, char** argv) {
    const zt::Launch launch = zt::CheckLaunch(argc, argv, nullptr);
    if (launch.status >= 0) {
        MessageBoxA(nullptr, launch.out.c_str(), "zttools", MB_OK | MB_ICONINFORMATION);
        return launch.status;
    }
    ui::Win32Host host(GetModuleHandleA(nullptr), zt::ids::kIcon);
    ui::setHost(&host);
    return zt::RunProgram(zt::SettingsFileArgument(argc, argv));
}
#else
#include <QApplication>
#include <cstdlib>
#include <iostream>

#include "ui/qt/qt_host.h"

int main(int argc, char** argv) {
    // Before Qt, which would abort without a display.
    const zt::Launch launch = zt::CheckLaunch(argc, argv, std::getenv);
    if (launch.status >= 0) {
        std::cout << launch.out;
        std::cerr << launch.err;
        return launch.status;
    }
    QApplication app(argc, argv);  // takes Qt's own options out of argv
    ui::QtHost host(zt::kIconXpm);
    ui::setHost(&host);
    return zt::RunProgram(zt::SettingsFileArgument(argc, argv));
}
#endif
