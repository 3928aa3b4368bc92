// Test ZT, and the detection and port trouble that Read ZT and Write ZT show too.
#include "app/keyer_commands.h"

#include <string>

#include "app/session.h"
#include "app/status.h"
#include "app/window_state.h"
#include "link/operations.h"
#include "resources/ids.h"

namespace zt {

namespace {

const char* TestState(DetectOutcome outcome) {
    switch (outcome) {
        case DetectOutcome::Failed:
            return ">ZT ERR";
        case DetectOutcome::BootLoaderOnly:
            return ">ZT NOS";
        default:
            return ">ZT OK";
    }
}

// The readings as they came, a missing one as 0; a line that failed meanwhile
// turns ">ZT OK" into ">ZT ERR", and the tooltip names the cause.
void ShowLiveValues(ui::Window& w, const LiveValues& v) {
    ui::setText(w, ids::kPotValue, PotText(v.pot.value_or(0)));
    if (v.hasPushbutton) ui::setText(w, ids::kPushButton, PushbuttonText(v.pushbutton.value_or(0)));
    ui::setText(w, ids::kSupply, SupplyText(v.supply.value_or(0)));
    if (!v.lineFailure.empty()) ui::setText(w, ids::kOpState, ">ZT ERR");
}

void RunTest(ui::Window& w) {
    for (int id : {ids::kOpState, ids::kSupply, ids::kPotValue, ids::kPushButton})
        ui::setText(w, id, "");
    appState.busy = 1;
    ShowTesting(w);
    const TestResult t =
        TestKeyer(keyerPort, KeyerTarget(), appState.keyer, [&w](const Detection& d) {
            ShowDetection(w, d);
            ui::setText(w, ids::kOpState, TestState(d.outcome));
            return true;
        });
    if (t.values) ShowLiveValues(w, *t.values);
    ShowPortTrouble(w);
    ArmStatusCountdown();
    appState.busy = 0;
}

}  // namespace

void ShowTesting(ui::Window& w) {
    ui::setText(w, ids::kLinkStatus, kTestingText);
    ui::setTip(w, ids::kLinkStatus, "");
    ui::repaint(w);  // the text must be on screen during the waits that follow
}

void ShowDetection(ui::Window& w, const Detection& d) {
    appState.keyer = d.identity;
    if (!d.chipLabel.empty()) ui::setText(w, ids::kChipLabel, d.chipLabel);
    ui::setText(w, ids::kLinkStatus, d.linkStatus);
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
