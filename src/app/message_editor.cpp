#include "app/message_editor.h"

#include "app/session.h"
#include "app/setting_controls.h"
#include "resources/ids.h"
#include "settings/messages.h"
#include "settings/schema.h"

namespace zt {

bool StoreMessageEdits(ui::Window& w) {
    MessageTexts texts;
    for (int n = 0; n < kMessageCount; ++n) texts[n] = ui::getText(w, kMessageEdits[n]);
    if (auto error = EncodeMessages(texts, appState.image)) {
        ui::messageBox(&w, error->text, "Error", ui::Icon::None);
        // To the message named, when it is on show (the other bank's is not).
        if (error->message) ui::setFocus(w, kMessageEdits[*error->message], true);
        return false;
    }
    return true;
}

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
    Store(appState.image, User::One, SettingNamed("selected_bank"), two ? 2 : 1);
}

}  // namespace zt
