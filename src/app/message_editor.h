#pragma once
// The message editor: the fourteen message edits to and from the image's
// message store, and the message bank radio buttons.

#include "app/window_state.h"
#include "ui/ui.h"

namespace zt {

// Encodes the edits into the image. Text that cannot be stored is refused
// with an "Error" box owned by w; the image is then unchanged and the result
// false.
bool StoreMessageEdits(ui::Window& w);
// Decodes the image's messages into the edits.
void FillMessageEdits(ui::Window& w);
// A bank radio button (4007, 4008): shows that bank and records it in bit 6
// of User 1's aux register (image byte 14). Nothing is stored.
void SelectBank(ui::Window& w, Bank bank);

}  // namespace zt
