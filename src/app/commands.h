#pragma once
// Main-window commands that run keyer operations or open the link dialogs.

#include "platform/ui.h"

namespace zt {

void TestZtCommand(ui::Window& w, int code);      // detect and test the keyer
void SetComPortCommand(ui::Window& w, int code);  // port selection dialog

}  // namespace zt
