#include "app/message_editor.h"

#include "app/session.h"
#include "app/setting_controls.h"
#include "resources/ids.h"
#include "settings/edits.h"
#include "settings/messages.h"

namespace zt {

void FillMessageEdits(ui::Window& w) {
    const MessageTexts texts = DecodeMessages(appState.image);
    for (int n = 0; n < kMessageCount; ++n) ui::setText(w, kMessageEdits[n], texts[n]);
}

void SelectBank(ui::Window& w, Bank bank) {
    const bool two = bank == Bank::Two;
    ui::check(w, ids::kBank1, !two);
    ui::check(w, ids::kBank2, two);
    shownBank = bank;
    ShowMessageBank(w, bank);
    ApplyEdits(appState.image, {{&SettingNamed("selected_bank"), User::One, two ? 2 : 1}});
}

}  // namespace zt
