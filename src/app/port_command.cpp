#include "app/port_command.h"

#include <string>

#include "app/config_status.h"
#include "app/keyer_commands.h"
#include "app/port_dialog.h"
#include "common/app_state.h"
#include "common/config_file.h"
#include "resources/ids.h"
#include "resources/templates.h"

namespace zt {

void SetComPortCommand(ui::Window& w) {
    keyerPort.Close();  // free the keyer's own port for probing
    if (ui::runModal(kPortTemplate, &w, PortDialogProc) == 1)
        ShowConfigStatus(SaveComPortSetting());
    ui::setText(w, ids::kPortLabel, "com:" + std::to_string(comPortNumber));
}

}  // namespace zt
