#pragma once
// The "RTTY Mode Setup" dialog (1005): the edited user's two RTTY registers.

#include "ui/ui.h"

namespace zt {

int RttyProc(ui::Window& w, const ui::Message& m);
// Runs the dialog modally; only "Ok" changes the image.
void RttyCommand(ui::Window& owner);

}  // namespace zt
