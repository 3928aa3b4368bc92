// Test ZT, and the detection and port trouble that Read ZT and Write ZT show too.
#include "app/keyer_commands.h"

#include <string>

#include "app/status.h"
#include "app/window_state.h"
#include "common/app_state.h"
#include "link/commands.h"
#include "resources/ids.h"

namespace zt {

Port keyerPort;

namespace {

void ShowDetection(ui::Window& w, const Detection& d) {
    appState.keyer = d.identity;
    if (!d.chipLabel.empty()) ui::setText(w, ids::kChipLabel, d.chipLabel);
    ui::setText(w, ids::kLinkStatus, d.linkStatus);
}

// The readings as they came; a line that failed meanwhile turns ">ZT OK"
// into ">ZT ERR", and the tooltip names the cause.
void ShowLiveValues(ui::Window& w) {
    const LiveValues v = ReadLiveValues(keyerPort, appState.keyer.chipVariant);
    ui::setText(w, ids::kPotValue, PotText(v.pot));
    if (v.pushbutton) ui::setText(w, ids::kPushButton, PushbuttonText(*v.pushbutton));
    ui::setText(w, ids::kSupply, SupplyText(v.supply));
    if (!v.lineFailure.empty()) ui::setText(w, ids::kOpState, ">ZT ERR");
}

void RunTest(ui::Window& w) {
    for (int id : {ids::kOpState, ids::kSupply, ids::kPotValue, ids::kPushButton})
        ui::setText(w, id, "");
    appState.busy = 1;
    Detection d = RunDetection(w);
    if (d.outcome == DetectOutcome::Failed) {
        ui::setText(w, ids::kOpState, ">ZT ERR");
    } else if (d.outcome == DetectOutcome::BootLoaderOnly) {
        ui::setText(w, ids::kOpState, ">ZT NOS");
    } else {
        ui::setText(w, ids::kOpState, ">ZT OK");
        ShowLiveValues(w);
    }
    ShowPortTrouble(w);
    ArmStatusCountdown();
    appState.busy = 0;
}

}  // namespace

Detection RunDetection(ui::Window& w) {
    keyerPort.Close();
    ui::setText(w, ids::kLinkStatus, kTestingText);
    ui::setTip(w, ids::kLinkStatus, "");
    ui::repaint(w);  // the text must be on screen during the waits that follow
    Detection d = DetectKeyer(keyerPort, comPortNumber, appState.keyer);
    ShowDetection(w, d);
    return d;
}

void ShowPortTrouble(ui::Window& w) {
    ui::setTip(w, ids::kLinkStatus, keyerPort.ErrorText());
}

void TestZtCommand(ui::Window& w) {
    ui::setText(w, ids::kMessageLine, "");
    LockButtons(w);
    if (!appState.busy) RunTest(w);
    RefreshButtons(w);
}

}  // namespace zt
