#include "app/port_command.h"

#include <string>

#include "app/config_status.h"
#include "app/port_dialog.h"
#include "app/session.h"
#include "common/config_file.h"
#include "resources/ids.h"
#include "resources/templates.h"

namespace zt {

void SetComPortCommand(ui::Window& w) {
    Session& s = CurrentSession();
    s.port.Close();  // free the keyer's own port for probing
    if (ui::runModal(kPortTemplate, &w, PortDialogProc) == 1)
        ShowConfigStatus(SaveComPortSetting(s.configFileName, s.comPortNumber));
    ui::setText(w, ids::kPortLabel, "com:" + std::to_string(s.comPortNumber));
}

}  // namespace zt
