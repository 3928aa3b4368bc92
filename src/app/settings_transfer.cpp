#include "app/settings_transfer.h"

#include <string>

#include "app/keyer_commands.h"
#include "app/message_editor.h"
#include "app/settings_editor.h"
#include "app/status.h"
#include "app/window_state.h"
#include "common/app_state.h"
#include "link/transfer.h"
#include "resources/ids.h"

namespace zt {

namespace {

void ShowOperation(ui::Window& w, const char* text) {
    ui::setText(w, ids::kOpState, text);
    ui::repaint(w);  // the transfer that follows blocks the window
}

void ShowTransferFailure(ui::Window& w, const std::string& reason) {
    ShowOperation(w, ">ZT ERR");
    ui::setText(w, ids::kLinkStatus, reason);
}

void ReadSettings(ui::Window& w) {
    ShowOperation(w, ">Reading");
    const TransferResult r = ReadKeyerSettings(keyerPort, appState.image);
    if (!r.complete) return ShowTransferFailure(w, r.failure);
    ShowOperation(w, ">Done");
    FillSettingsControls(w, editedUser);
    FillMessageEdits(w);
}

void WriteSettings(ui::Window& w) {
    if (!StoreSettingsControls(w, editedUser) || !StoreMessageEdits(w)) return;
    ShowOperation(w, "Writing");
    const TransferResult r = WriteKeyerSettings(keyerPort, appState.image);
    if (!r.complete) return ShowTransferFailure(w, r.failure);
    ShowOperation(w, "Done");
}

// The steps both flows share: detection first, the transfer only after a
// detection that found something.
void RunTransfer(ui::Window& w, void (*transfer)(ui::Window&)) {
    LockButtons(w);
    if (!appState.busy) {
        appState.busy = 1;
        if (RunDetection(w).outcome == DetectOutcome::Failed)
            ui::setText(w, ids::kOpState, ">ZT ERR");
        else
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
