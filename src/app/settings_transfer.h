#pragma once
// Read ZT and Write ZT: the keyer's settings into the editor and back.

#include "ui/ui.h"

namespace zt {

// Detects the keyer, then fetches its settings into the image and the editor.
// The image changes only when every byte arrived.
void ReadZtCommand(ui::Window& w);
// Detects the keyer, stores the editor into the image and sends it.
void WriteZtCommand(ui::Window& w);

}  // namespace zt
