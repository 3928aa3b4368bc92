#pragma once
// The message editor: the fourteen message edits from the image's message
// store, and the message bank radio buttons. The edits go into the image
// with the editor's numbers before a write (StoreBeforeWrite).

#include "app/window_state.h"
#include "ui/ui.h"

namespace zt {

// Decodes the image's messages into the edits.
void FillMessageEdits(ui::Window& w);
// A bank radio button (4007, 4008): shows that bank and records it in bit 6
// of User 1's aux register (image byte 14). Nothing is stored.
void SelectBank(ui::Window& w, Bank bank);

}  // namespace zt
