#include "app/settings_editor.h"

#include <string>

#include "app/session.h"
#include "app/window_state.h"
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

// The edit a refusal of the row names. The pot's messages name Pot Max, but
// for "Pot Min must be between 5 and 99", which the range of the minimum
// brings when the maximum is above it.
int RefusedControl(const NumberRow& row, std::uint32_t value, std::uint32_t minValue) {
    const bool minOutside = minValue < row.min || minValue > row.max;
    return row.minControl && value > minValue && minOutside ? row.minControl : row.control;
}

// Stores one row, or reports why it cannot be stored and leaves the operator
// in the field to mend it.
bool StoreRow(ui::Window& w, User user, const NumberRow& row) {
    const std::uint32_t value = ReadNumber(w, row.control);
    const std::uint32_t minValue = row.minControl ? ReadNumber(w, row.minControl) : 0;
    if (auto refusal = Refusal(row, user, value, minValue)) {
        ui::messageBox(&w, *refusal, "Error", ui::Icon::None);
        ui::setFocus(w, RefusedControl(row, value, minValue), true);
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

// "10 to 90", "0, or 10 to 90": the values a row accepts.
std::string RangeText(const NumberRow& row) {
    const std::string range = std::to_string(row.min) + " to " + std::to_string(row.max);
    return row.zeroToo ? "0, or " + range : range;
}

void ShowRange(ui::Window& w, int id, const std::string& text) {
    ui::setTip(w, id, text);
    ui::setDescription(w, id, text);
}

}  // namespace

void ShowValueRanges(ui::Window& w) {
    for (const NumberRow& row : kNumberRows) {
        if (!row.minControl) {
            ShowRange(w, row.control, RangeText(row));
            continue;
        }
        // The pot's two ends share the bounds, and the maximum must be the greater.
        const std::string maxName = ui::control(w, row.control).name;
        const std::string minName = ui::control(w, row.minControl).name;
        ShowRange(w, row.control, RangeText(row) + ", more than " + minName);
        ShowRange(w, row.minControl, RangeText(row) + ", less than " + maxName);
    }
}

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
