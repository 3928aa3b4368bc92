#include "app/port_command.h"

#include <string>

#include "app/config_status.h"
#include "app/port_dialog.h"
#include "app/session.h"
#include "app/status.h"
#include "common/config_file.h"
#include "resources/ids.h"
#include "resources/templates.h"

namespace zt {

void SetComPortCommand(ui::Window& w) {
    Session& s = CurrentSession();
    s.port.Close();  // free the keyer's own port for probing
    const bool chosen = ui::runModal(kPortTemplate, &w, PortDialogProc) == 1;
    if (chosen) ShowConfigStatus(SaveComPortSetting(s.configFileName, s.comPortNumber));
    ui::setText(w, ids::kPortLabel, "com:" + std::to_string(s.comPortNumber));
    if (chosen) AnnounceFields(w, {ids::kPortLabel});
}

}  // namespace zt
