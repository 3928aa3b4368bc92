#pragma once
// The "Keyer Configuration" group of the main window: one user's settings
// shown in the controls, typed values checked and stored into the image, and
// the controls that change the image at once (option boxes, lists, user
// switch, Reset to Defaults). Each control works through the setting it is
// bound to (setting_controls.h), and changes it through settings/edits.h.

#include "app/setting_controls.h"
#include "settings/image.h"
#include "ui/ui.h"

namespace zt {

void FillSettingsControls(ui::Window& w, User user);
// Each number edit's accepted values as its tooltip and accessible
// description ("10 to 90"), from the bounds the edit is checked against.
void ShowValueRanges(ui::Window& w);
// Stores the number edits as user's if the editor takes them all; else the
// first value it refuses, in its order, is reported in a message box, the
// focus goes to its field, nothing is stored and the result is false.
bool StoreSettingsControls(ui::Window& w, User user);
// Before a write: the number and message edits, all or none as above, then
// the other user's values, for which the window turns to that user.
bool StoreBeforeWrite(ui::Window& w);

// A command from an option box or a list of the editor: the box flips its
// setting, a list's new selection is stored. 0 for any other command.
int SettingControlCommand(ui::Window& w, const ui::Message& m);
// Command handlers for the main window's routes.
void SwitchUser(ui::Window& w, User user);
void ResetToDefaults(ui::Window& w);

}  // namespace zt
