#pragma once

#include "ui/ui.h"

namespace zt {

// Set Com Port: frees the keyer's port, runs the port selection dialog, keeps
// a new choice in the configuration file and shows the number.
void SetComPortCommand(ui::Window& w);

}  // namespace zt
