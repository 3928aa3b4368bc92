#include "app/settings_editor.h"

#include <string>

#include "app/session.h"
#include "app/setting_controls.h"
#include "app/window_state.h"
#include "resources/ids.h"
#include "settings/schema.h"

namespace zt {

namespace {

std::uint32_t ReadNumber(ui::Window& w, const Setting& s) {
    return ParseEditNumber(ui::getText(w, ControlOf(kMainControls, s)));
}

// Stores one row, or reports why it cannot be stored and leaves the operator
// in the field it is about to mend it. The pot's ends go together.
bool StoreRow(ui::Window& w, User user, const Setting& s) {
    const std::uint32_t value = ReadNumber(w, s);
    std::optional<Refused> refused;
    if (s.place == Place::PotMax) {
        const std::uint32_t minValue = ReadNumber(w, kPotMin);
        refused = PotRefusal(user, value, minValue);
        if (!refused) StorePot(appState.image, user, value, minValue);
    } else if (auto text = Refusal(s, user, value)) {
        refused = Refused{&s, *text};
    } else {
        Store(appState.image, user, s, value);
    }
    if (!refused) return true;
    ui::messageBox(&w, refused->text, "Error", ui::Icon::None);
    ui::setFocus(w, ControlOf(kMainControls, *refused->setting), true);
    return false;
}

// "10 to 90", "0, or 10 to 90": the values a row accepts.
std::string RangeText(const Setting& s) {
    const std::string range = std::to_string(s.min) + " to " + std::to_string(s.max);
    return s.zeroToo ? "0, or " + range : range;
}

void ShowRange(ui::Window& w, int id, const std::string& text) {
    ui::setTip(w, id, text);
    ui::setDescription(w, id, text);
}

}  // namespace

void ShowValueRanges(ui::Window& w) {
    const int minEdit = ControlOf(kMainControls, kPotMin);
    for (const Setting* s : kEditorChecks) {
        const int edit = ControlOf(kMainControls, *s);
        if (s->place != Place::PotMax) {
            ShowRange(w, edit, RangeText(*s));
            continue;
        }
        // The pot's two ends have a range each, and the maximum must be the greater.
        ShowRange(w, edit, RangeText(*s) + ", more than " + ui::control(w, minEdit).name);
        ShowRange(w, minEdit, RangeText(kPotMin) + ", less than " + ui::control(w, edit).name);
    }
}

void FillSettingsControls(ui::Window& w, User user) {
    ShowSettings(w, appState.image, user, kMainControls);
    ui::show(w, ids::kCallUser1, user == User::One);
    ui::show(w, ids::kCallUser2, user == User::Two);
}

bool StoreSettingsControls(ui::Window& w, User user) {
    for (const Setting* s : kEditorChecks)
        if (!StoreRow(w, user, *s)) return false;
    return true;
}

int SettingControlCommand(ui::Window& w, const ui::Message& m) {
    const Setting* s = m.msg == ui::Msg::Command ? SettingOf(kMainControls, m.id) : nullptr;
    if (!s || (s->kind != Kind::Flag && s->kind != Kind::Choice)) return 0;
    // A list acts on a selection change only; its other notifications are taken
    // without effect.
    if (s->kind == Kind::Choice && m.code == ui::kSelectionChanged)
        Store(appState.image, editedUser, *s, ui::comboSelection(w, m.id));
    if (s->kind == Kind::Flag) {
        Store(appState.image, editedUser, *s, !ValueOf(appState.image, editedUser, *s).value_or(0));
        const SettingControl box{m.id, s};
        ShowSettings(w, appState.image, editedUser, {&box, 1});
    }
    return 1;
}

void SwitchUser(ui::Window& w, User user) {
    LockButtons(w);
    if (StoreSettingsControls(w, editedUser)) {
        ui::check(w, ids::kUser1, user == User::One);
        ui::check(w, ids::kUser2, user == User::Two);
        editedUser = user;
        FillSettingsControls(w, user);
        Store(appState.image, user, SettingNamed("selected_user"), user == User::Two ? 2 : 1);
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
