#pragma once
// The main window: its initialisation, command dispatch, button groups, the
// message bank view and the key filter on the message edits.

#include "settings/image.h"
#include "ui/ui.h"

namespace zt {

enum class Bank { One, Two };

extern ui::Window* mainWindow;
extern User editedUser;
extern Bank shownBank;

int MainWindowProc(ui::Window& w, const ui::Message& m);

// Shows one bank's six message edits and labels and hides the other's.
void ShowMessageBank(ui::Window& w, Bank bank);
void DisableKeyerButtons(ui::Window& w);
void LockButtons(ui::Window& w);
void RefreshButtons(ui::Window& w);

// The typed-character hook of the fourteen message edits: false swallows it.
bool MessageKeyFilter(ui::Window& w, int id, int ch);

// The fourteen message edits in counting order: 4001-4006, 4080-4085, 4071, 4072.
extern const int kMessageEdits[14];

}  // namespace zt
