#pragma once
// The port selection dialog: lists the COM ports present and lets the
// operator pick one. On OK it sets the session's comPortNumber and ends with 1;
// keeping the choice in the configuration file is the caller's.

#include "ui/ui.h"

namespace zt {

int PortDialogProc(ui::Window& w, const ui::Message& m);

}  // namespace zt
