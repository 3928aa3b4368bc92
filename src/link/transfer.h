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
};

// Main block, then extension block. Both commands always go out; the image
// changes only when every byte of both replies arrived.
TransferResult ReadKeyerSettings(Port& port, SettingsImage& image);
// Extension block, then main block, then the pause in which the keyer stores
// them, counted from when the last byte has left the wire.
TransferResult WriteKeyerSettings(Port& port, const SettingsImage& image);

}  // namespace zt
