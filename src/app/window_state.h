#pragma once
// What the main window's handlers share: the window itself, the user and the
// message bank it shows, and its button groups.
// The main window's route table includes the handlers; they include this, so
// no handler reaches back up to the route table.

#include "settings/image.h"
#include "ui/ui.h"

namespace zt {

enum class Bank { One, Two };

extern ui::Window* mainWindow;
extern User editedUser;
extern Bank shownBank;

// Shows one bank's six message edits and labels and hides the other's.
void ShowMessageBank(ui::Window& w, Bank bank);
void DisableKeyerButtons(ui::Window& w);
void LockButtons(ui::Window& w);
void RefreshButtons(ui::Window& w);

}  // namespace zt
