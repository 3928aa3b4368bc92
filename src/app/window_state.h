#pragma once
// The main window's button groups and message banks, which its handlers
// share; the state behind them is the session's.
// The main window's route table includes the handlers; they include this, so
// no handler reaches back up to the route table.

#include "app/session.h"
#include "ui/ui.h"

namespace zt {

// Shows one bank's six message edits and labels and hides the other's.
void ShowMessageBank(ui::Window& w, Bank bank);
void DisableKeyerButtons(ui::Window& w);
void LockButtons(ui::Window& w);
void RefreshButtons(ui::Window& w);

}  // namespace zt
