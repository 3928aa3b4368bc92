#pragma once
// Test ZT, and what Read ZT and Write ZT (settings_transfer) show of the
// detection they start with. The operations are the core's (link/operations.h);
// this shows their results.

#include "link/detect.h"
#include "ui/ui.h"

namespace zt {

// Detects and tests the keyer: identity, then one reading of its live values.
void TestZtCommand(ui::Window& w);

// "Testing ZT Interface    " on screen for the waits of the detection that
// follows, and no tooltip left from before.
void ShowTesting(ui::Window& w);
// The detection's texts in the link status line and chip label; the keyer's
// identity is kept for the button groups and the uploader.
void ShowDetection(ui::Window& w, const Detection& d);
// Why the port failed or the line dropped during the last operation, as the
// link status line's tooltip; clears it when nothing did.
void ShowPortTrouble(ui::Window& w);

}  // namespace zt
