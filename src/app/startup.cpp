#include "app/startup.h"

#include "app/main_window.h"
#include "common/config_file.h"
#include "link/port.h"
#include "resources/templates.h"

namespace zt {

int RunProgram() {
    configFileName = DefaultConfigFileName();
    LoadComPortSetting();
    int status = ui::runModal(kMainTemplate, nullptr, MainWindowProc);
    // The window is gone; nothing may reach for it any more.
    mainWindow = nullptr;
    SetPortWaitHook(nullptr);
    return status;
}

}  // namespace zt
