#include "app/startup.h"

#include "app/config_status.h"
#include "app/keyer_commands.h"
#include "app/main_window.h"
#include "app/window_state.h"
#include "common/app_state.h"
#include "resources/templates.h"

namespace zt {

int RunProgram() {
    configFileName = DefaultConfigFileName();
    ShowConfigStatus(LoadComPortSetting());
    int status = ui::runModal(kMainTemplate, nullptr, MainWindowProc);
    // The window is gone; nothing may reach for it any more.
    mainWindow = nullptr;
    keyerPort.SetWaitHook({});
    return status;
}

}  // namespace zt
