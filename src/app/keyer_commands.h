#pragma once
// Test ZT, the detection that Read ZT and Write ZT (settings_transfer) start
// with, and the one serial port the program keeps for the keyer operations.

#include "link/detect.h"
#include "link/port.h"
#include "ui/ui.h"

namespace zt {

// The program's serial port. Closed at the start of every keyer operation,
// before the port dialog and at Exit; the upload worker borrows it.
extern Port keyerPort;

// Detects and tests the keyer: identity, then one reading of its live values.
void TestZtCommand(ui::Window& w);

// Closes the keyer port if open and runs detection on it, showing the texts in
// the window's link status line and chip label and keeping the identity.
Detection RunDetection(ui::Window& w);
// Why the port failed or the line dropped during the last operation, as the
// link status line's tooltip; clears it when nothing did.
void ShowPortTrouble(ui::Window& w);

}  // namespace zt
