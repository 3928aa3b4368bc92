#include "app/rtty_dialog.h"

#include <vector>

#include "app/session.h"
#include "app/setting_controls.h"
#include "app/window_state.h"
#include "resources/ids.h"
#include "resources/templates.h"
#include "settings/edits.h"

namespace zt {

namespace {

void Initialise(ui::Window& w) {
    FillSettingLists(w, kRttyControls);
    ShowSettings(w, CurrentSession().image, CurrentSession().editedUser, kRttyControls);
}

// The two registers are written whole: bits no control stands for become 0.
// A list whose text part was typed over has no selection: a two-entry list
// then counts as not at its first entry (its bit set), and the Baud Rate
// keeps its rate.
void Accept(ui::Window& w) {
    SettingsImage& image = CurrentSession().image;
    const User user = CurrentSession().editedUser;
    std::vector<Edit> edits;
    for (const SettingControl& c : kRttyControls) {
        const Setting& s = *c.setting;
        int value =
            s.kind == Kind::Flag ? ui::isChecked(w, c.control) : ui::comboSelection(w, c.control);
        if (value < 0)
            value = s.entries.size() == 2 ? 1 : static_cast<int>(*ValueOf(image, user, s));
        edits.push_back({&s, user, value});
    }
    for (const SettingControl& c : kRttyControls) At(image, user, c.setting->field) = 0;
    ApplyEdits(image, edits);
    ui::endDialog(w, 1);
}

void Leave(ui::Window& w) {
    ui::endDialog(w, 0);
}

// Enter (command 1) is Ok, as in the other dialogs, so that no edit is lost
// to it; Escape (command 2) is Cancel.
const ui::Route kRoutes[] = {
    {ui::Msg::Init, 0, Initialise},
    {ui::Msg::Command, ids::kRttyOk, Accept},
    {ui::Msg::Command, ids::kRttyCancel, Leave},
    {ui::Msg::Command, ui::kIdOk, Accept},
    {ui::Msg::Command, ui::kIdCancel, Leave},
    {ui::Msg::Close, 0, Leave},
};

}  // namespace

int RttyProc(ui::Window& w, const ui::Message& m) {
    return ui::dispatch(kRoutes, w, m);
}

void RttyCommand(ui::Window& owner) {
    ui::runModal(kRttyTemplate, &owner, RttyProc);
}

}  // namespace zt
