#include "app/settings_transfer.h"

#include "app/keyer_commands.h"
#include "app/main_window.h"
#include "app/message_editor.h"
#include "app/settings_editor.h"
#include "app/status.h"
#include "common/app_state.h"
#include "link/commands.h"
#include "resources/ids.h"

namespace zt {

namespace {

void ShowOperation(ui::Window& w, const char* text) {
    ui::setText(w, ids::kOpState, text);
    ui::repaint(w);  // the transfer that follows blocks the window
}

void ShowTransferFailure(ui::Window& w, const char* reason) {
    ShowOperation(w, ">ZT ERR");
    ui::setText(w, ids::kLinkStatus, reason);
}

// Both commands always go out, so the line carries the same bytes whether or
// not the first reply was whole; the editor sees only a complete image.
void ReadSettings(ui::Window& w) {
    ShowOperation(w, ">Reading");
    SettingsImage arrived = appState.image;
    const bool mainBlock = DumpSettings(keyerPort, arrived) == 1;
    const bool extension = ReadExtension(keyerPort, arrived) == 1;
    if (!mainBlock || !extension) {
        ShowTransferFailure(
            w, mainBlock ? "ZT Fail:extension read short" : "ZT Fail:settings read short");
        return;
    }
    appState.image = arrived;
    ShowOperation(w, ">Done");
    FillSettingsControls(w, editedUser);
    FillMessageEdits(w);
}

void WriteSettings(ui::Window& w) {
    if (!StoreSettingsControls(w, editedUser) || !StoreMessageEdits(w)) return;
    ShowOperation(w, "Writing");
    const bool extension = WriteExtension(keyerPort, appState.image) == 1;
    const bool mainBlock = LoadSettings(keyerPort, appState.image) == 1;
    keyerPort.Pause(keyerPort.waits().storeMs);
    if (!extension || !mainBlock) {
        ShowTransferFailure(w, "ZT Fail:settings not sent");
        return;
    }
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
