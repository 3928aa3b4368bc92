#pragma once
// Test ZT, Read ZT and Write ZT: the core's keyer operations
// (link/operations.h), their results shown in the main window.

#include "ui/ui.h"

namespace zt {

// Detects and tests the keyer: identity, then one reading of its live values.
void TestZtCommand(ui::Window& w);
// Detects the keyer, then fetches its settings into the image and the editor.
// The image changes only when every byte arrived.
void ReadZtCommand(ui::Window& w);
// Detects the keyer, stores the editor into the image and sends it.
void WriteZtCommand(ui::Window& w);

}  // namespace zt
