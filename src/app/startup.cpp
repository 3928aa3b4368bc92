#include "app/startup.h"

#include "app/main_window.h"
#include "common/config_file.h"
#include "resources/templates.h"

namespace zt {

int RunProgram() {
    configFileName = DefaultConfigFileName();
    LoadComPortSetting();
    return ui::runModal(kMainTemplate, nullptr, MainWindowProc);
}

}  // namespace zt
