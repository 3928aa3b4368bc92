// The main window's Set Com Port command.
#include <string>

#include "app/commands.h"
#include "common/app_state.h"
#include "link/port.h"
#include "link/port_dialog.h"
#include "resources/ids.h"
#include "resources/templates.h"

namespace zt {

void SetComPortCommand(ui::Window& w, int) {
    if (appState.portOpen) ClosePort();  // free the keyer's own port for probing
    ui::runModal(kPortTemplate, &w, PortDialogProc);
    ui::setText(w, ids::kPortLabel, "com:" + std::to_string(comPortNumber));
}

}  // namespace zt
