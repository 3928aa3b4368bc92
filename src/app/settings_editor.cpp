#include "app/settings_editor.h"

#include <string>

#include "app/main_window.h"
#include "common/app_state.h"
#include "resources/ids.h"
#include "settings/controls.h"

namespace zt {

namespace {

void ShowNumber(ui::Window& w, int id, std::uint32_t n) {
    ui::setText(w, id, std::to_string(n));
}

std::uint32_t ReadNumber(ui::Window& w, int id) {
    return ParseEditNumber(ui::getText(w, id));
}

// Stores one row, or reports why it cannot be stored.
bool StoreRow(ui::Window& w, User user, const NumberRow& row) {
    const std::uint32_t value = ReadNumber(w, row.control);
    const std::uint32_t minValue = row.minControl ? ReadNumber(w, row.minControl) : 0;
    if (auto refusal = Refusal(row, user, value, minValue)) {
        ui::messageBox(&w, *refusal, "Error", ui::Icon::None);
        return false;
    }
    StoreNumber(appState.image, user, row, value, minValue);
    return true;
}

void ShowLists(ui::Window& w, User user) {
    const SettingsImage& image = appState.image;
    ui::comboSelect(w, ids::kKeyerMode, KeyerModeIndex(image, user));
    ui::comboSelect(w, ids::kPaddleHang, PaddleHangIndex(image, user));
    ui::comboSelect(w, ids::kOutputSelection, OutputSelectionIndex(image, user));
}

void ShowOptionBox(ui::Window& w, User user, const OptionBox& box) {
    ui::check(w, box.control, (At(appState.image, user, box.field) & box.bit) != 0);
}

}  // namespace

void FillSettingsControls(ui::Window& w, User user) {
    const SettingsImage& image = appState.image;
    for (const NumberRow& row : kNumberRows) {
        if (auto shown = ShownNumber(image, user, row)) ShowNumber(w, row.control, *shown);
        if (row.minControl) ShowNumber(w, row.minControl, At(image, user, row.field));
    }
    ShowLists(w, user);
    for (const OptionBox& box : kOptionBoxes) ShowOptionBox(w, user, box);
    ui::show(w, ids::kCallUser1, user == User::One);
    ui::show(w, ids::kCallUser2, user == User::Two);
}

bool StoreSettingsControls(ui::Window& w, User user) {
    for (const NumberRow& row : kNumberRows)
        if (!StoreRow(w, user, row)) return false;
    return true;
}

void OptionBoxClicked(ui::Window& w, int control) {
    const OptionBox* box = FindOptionBox(control);
    if (!box) return;
    At(appState.image, editedUser, box->field) ^= box->bit;
    ShowOptionBox(w, editedUser, *box);
}

void KeyerModeChanged(ui::Window& w) {
    SetKeyerMode(appState.image, editedUser, ui::comboSelection(w, ids::kKeyerMode));
}

void PaddleHangChanged(ui::Window& w) {
    SetPaddleHang(appState.image, editedUser, ui::comboSelection(w, ids::kPaddleHang));
}

void OutputSelectionChanged(ui::Window& w) {
    SetOutputSelection(appState.image, editedUser, ui::comboSelection(w, ids::kOutputSelection));
}

void SwitchUser(ui::Window& w, User user) {
    LockButtons(w);
    if (StoreSettingsControls(w, editedUser)) {
        ui::check(w, ids::kUser1, user == User::One);
        ui::check(w, ids::kUser2, user == User::Two);
        editedUser = user;
        FillSettingsControls(w, user);
        SetSelectionBit(appState.image, kSelectedUserBit, user == User::Two);
    }
    RefreshButtons(w);
}

void ResetToDefaults(ui::Window& w) {
    LockButtons(w);
    LoadDefaults(appState.image);
    FillSettingsControls(w, editedUser);
    RefreshButtons(w);
}

}  // namespace zt
