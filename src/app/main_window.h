#pragma once
// The main window: its initialisation, its route table and the key filter on
// the message edits. What its handlers share is in window_state.h.

#include "ui/ui.h"

namespace zt {

int MainWindowProc(ui::Window& w, const ui::Message& m);

// The typed-character hook of the fourteen message edits: false swallows it.
bool MessageKeyFilter(ui::Window& w, int id, int ch);

}  // namespace zt
