#include "app/settings_transfer.h"

#include "app/keyer_commands.h"
#include "app/message_editor.h"
#include "app/session.h"
#include "app/settings_editor.h"
#include "app/status.h"
#include "app/window_state.h"
#include "link/operations.h"
#include "resources/ids.h"

namespace zt {

namespace {

void ShowOperation(ui::Window& w, const char* text) {
    ui::setText(w, ids::kOpState, text);
    ui::repaint(w);  // the transfer that follows blocks the window
}

// The detection's texts; whether a transfer may follow.
bool ShowDetected(ui::Window& w, const Detection& d) {
    ShowDetection(w, d);
    if (d.outcome != DetectOutcome::Failed) return true;
    ui::setText(w, ids::kOpState, ">ZT ERR");
    return false;
}

// A transfer that ran and fell short says why; true when it was complete.
bool ShowTransfer(ui::Window& w, const TransferResult& r) {
    if (!r.transfer) return false;  // detection failed, or the editor refused
    if (r.Complete()) return true;
    ShowOperation(w, ">ZT ERR");
    ui::setText(w, ids::kLinkStatus, TransferText(*r.transfer));
    return false;
}

void ReadSettings(ui::Window& w) {
    const TransferResult r = ReadKeyer(keyerPort, KeyerTarget(), appState.keyer, appState.image,
                                       [&w](const Detection& d) {
                                           if (!ShowDetected(w, d)) return false;
                                           ShowOperation(w, ">Reading");
                                           return true;
                                       });
    if (!ShowTransfer(w, r)) return;
    ShowOperation(w, ">Done");
    FillSettingsControls(w, editedUser);
    FillMessageEdits(w);
}

// The editor's values are checked and stored into the image once the keyer
// has been found, and only then sent.
void WriteSettings(ui::Window& w) {
    const TransferResult r = WriteKeyer(
        keyerPort, KeyerTarget(), appState.keyer, appState.image, [&w](const Detection& d) {
            if (!ShowDetected(w, d)) return false;
            if (!StoreSettingsControls(w, editedUser) || !StoreMessageEdits(w)) return false;
            ShowOperation(w, "Writing");
            return true;
        });
    if (ShowTransfer(w, r)) ShowOperation(w, "Done");
}

// What both flows share around the transfer.
void RunTransfer(ui::Window& w, void (*transfer)(ui::Window&)) {
    LockButtons(w);
    if (!appState.busy) {
        appState.busy = 1;
        ShowTesting(w);
        transfer(w);
        ShowPortTrouble(w);
        ArmStatusCountdown();
        appState.busy = 0;
    }
    RefreshButtons(w);
}

}  // namespace

void ReadZtCommand(ui::Window& w) {
    RunTransfer(w, ReadSettings);
}

void WriteZtCommand(ui::Window& w) {
    RunTransfer(w, WriteSettings);
}

}  // namespace zt
