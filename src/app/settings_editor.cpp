#include "app/settings_editor.h"

#include <string>
#include <vector>

#include "app/session.h"
#include "app/setting_controls.h"
#include "app/window_state.h"
#include "resources/ids.h"
#include "settings/edits.h"

namespace zt {

namespace {

// The typed values as edits of user: every number edit, and when asked every
// message edit.
std::vector<Edit> TypedEdits(ui::Window& w, User user, bool messages) {
    std::vector<Edit> edits;
    for (const SettingControl& c : kMainControls) {
        const std::string text = ui::getText(w, c.control);
        if (c.setting->kind == Kind::Number)
            edits.push_back({c.setting, user, ParseEditNumber(text)});
        if (messages && c.setting->kind == Kind::Text) edits.push_back({c.setting, user, 0, text});
    }
    return edits;
}

// Tells why a value cannot be stored and leaves the operator in the field it
// is about, to mend it.
bool Refuse(ui::Window& w, const Refused& r) {
    ui::messageBox(&w, r.text, "Error", ui::Icon::None);
    if (r.setting) ui::setFocus(w, ControlOf(kMainControls, *r.setting), true);
    return false;
}

// The window turns to user, and the image records it as the one selected.
void ShowUser(ui::Window& w, User user) {
    ui::check(w, ids::kUser1, user == User::One);
    ui::check(w, ids::kUser2, user == User::Two);
    editedUser = user;
    FillSettingsControls(w, user);
    ApplyEdits(appState.image, {{&SettingNamed("selected_user"), user, user == User::Two ? 2 : 1}});
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

// A row that must stay above another says so, and the other that it must
// stay below.
void ShowValueRanges(ui::Window& w) {
    for (const Setting* s : kEditorChecks) {
        const Setting* below = RowBelow(*s);
        const int edit = ControlOf(kMainControls, *s);
        const int lower = below ? ControlOf(kMainControls, *below) : 0;
        ShowRange(w, edit,
                  RangeText(*s) + (below ? ", more than " + ui::control(w, lower).name : ""));
        if (below)
            ShowRange(w, lower, RangeText(*below) + ", less than " + ui::control(w, edit).name);
    }
}

void FillSettingsControls(ui::Window& w, User user) {
    ShowSettings(w, appState.image, user, kMainControls);
    ui::show(w, ids::kCallUser1, user == User::One);
    ui::show(w, ids::kCallUser2, user == User::Two);
}

bool StoreSettingsControls(ui::Window& w, User user) {
    const std::optional<Refused> refused = ApplyEdits(appState.image, TypedEdits(w, user, false));
    return !refused || Refuse(w, *refused);
}

bool StoreBeforeWrite(ui::Window& w) {
    std::optional<Refused> refused = ApplyEdits(appState.image, TypedEdits(w, editedUser, true));
    // Then the user not on show, as a file or a keyer left it.
    if (!refused && (refused = CheckImage(appState.image))) ShowUser(w, refused->user);
    return !refused || Refuse(w, *refused);
}

int SettingControlCommand(ui::Window& w, const ui::Message& m) {
    const Setting* s = m.msg == ui::Msg::Command ? SettingOf(kMainControls, m.id) : nullptr;
    if (!s || (s->kind != Kind::Flag && s->kind != Kind::Choice)) return 0;
    // A list acts on a selection change only; its other notifications are taken
    // without effect.
    if (s->kind == Kind::Choice && m.code == ui::kSelectionChanged)
        ApplyEdits(appState.image, {{s, editedUser, ui::comboSelection(w, m.id)}});
    if (s->kind == Kind::Flag) {
        ApplyEdits(appState.image, {{s, editedUser, !*ValueOf(appState.image, editedUser, *s)}});
        const SettingControl box{m.id, s};
        ShowSettings(w, appState.image, editedUser, {&box, 1});
    }
    return 1;
}

void SwitchUser(ui::Window& w, User user) {
    LockButtons(w);
    if (StoreSettingsControls(w, editedUser)) ShowUser(w, user);
    RefreshButtons(w);
}

void ResetToDefaults(ui::Window& w) {
    LockButtons(w);
    LoadDefaults(appState.image);
    FillSettingsControls(w, editedUser);
    RefreshButtons(w);
}

}  // namespace zt
