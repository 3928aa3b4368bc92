#pragma once
// The settings image to and from the keyer, over a port that detection has
// opened: both blocks in the order the keyer expects, and a result to show.

#include <string>

#include "common/app_state.h"
#include "link/port.h"

namespace zt {

struct TransferResult {
    bool complete = false;
    std::string failure;  // the link status text when not complete
    // A write: every byte went out while the line held, whether or not the
    // keyer then had the time to store them.
    bool sent = false;
};

// Main block, then extension block. Both commands always go out; the image
// changes only when every byte of both replies arrived.
TransferResult ReadKeyerSettings(Port& port, SettingsImage& image);
// Extension block, then main block, then the pause in which the keyer stores
// them, counted from when the last byte has left the wire. Complete only when
// both blocks went out in full and the line held until the pause was over.
TransferResult WriteKeyerSettings(Port& port, const SettingsImage& image);

}  // namespace zt
