#include "app/startup.h"

#include "app/config_status.h"
#include "app/main_window.h"
#include "app/session.h"
#include "app/window_state.h"
#include "resources/templates.h"

namespace zt {

void LoadConfiguration() {
    appState.configFileName = DefaultConfigFileName();
    const ComPortSetting setting = LoadComPortSetting(appState.configFileName);
    if (setting.number) appState.comPortNumber = *setting.number;
    ShowConfigStatus(setting.status);
}

int RunProgram() {
    LoadConfiguration();
    int status = ui::runModal(kMainTemplate, nullptr, MainWindowProc);
    // The window is gone; nothing may reach for it any more.
    mainWindow = nullptr;
    keyerPort.SetWaitHook({});
    return status;
}

}  // namespace zt
