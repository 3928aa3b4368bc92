#include "app/startup.h"

#include "app/keyer_commands.h"
#include "app/main_window.h"
#include "resources/templates.h"

namespace zt {

void ShowConfigStatus(ConfigStatus status) {
    if (const char* text = ConfigStatusText(status))
        ui::messageBox(nullptr, text, "Error", ui::Icon::Warning);
}

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
