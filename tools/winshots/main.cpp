// ztwinshots FOLDER: zttools.exe's windows on the Win32 host, pressing their
// own buttons and saving a picture of each into FOLDER (scripts/demo
// --windows). Not part of the product: the Win32 counterpart of ztrender.
#include <cstdio>

#include "app/startup.h"
#include "resources/ids.h"
#include "ui/win32/win32_host.h"
#include "winshots/screenshots.h"

int main(int argc, char** argv) {
    if (argc != 2 || !*argv[1]) {
        std::fprintf(stderr, "Usage: ztwinshots FOLDER\n");
        return 2;
    }
    ui::Win32Host host(GetModuleHandleA(nullptr), zt::ids::kIcon);
    ui::setHost(&host);
    zt::StartScreenshots(argv[1]);
    zt::Session session;
    return zt::RunProgram(session);
}
