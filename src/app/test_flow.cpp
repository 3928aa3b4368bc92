// The main window's Test ZT command: detection, then one reading of the
// keyer's live values.
#include <string>

#include "app/commands.h"
#include "app/main_window.h"
#include "app/status.h"
#include "common/app_state.h"
#include "link/commands.h"
#include "link/detect.h"
#include "link/port.h"
#include "resources/ids.h"

namespace zt {

namespace {

void ReadLiveValues(ui::Window& w) {
    ui::setText(w, ids::kPotValue, "PotValue: " + std::to_string(GetPotValue()));
    if (appState.chipVariant != kVariantMini)  // the MINI has no push-button input
        ui::setText(w, ids::kPushButton, "PB:" + std::to_string(GetPushbuttonValue()));
    ui::setText(w, ids::kSupply, SupplyText(GetSupplyReading()));
}

void RunTest(ui::Window& w) {
    for (int id : {ids::kOpState, ids::kSupply, ids::kPotValue, ids::kPushButton})
        ui::setText(w, id, "");
    appState.busy = 1;
    if (appState.portOpen) ClosePort();
    int result = DetectKeyer(w);
    if (result < 0) {
        ui::setText(w, ids::kOpState, ">ZT ERR");
    } else if (result == kDetectBootLoaderOnly) {
        ui::setText(w, ids::kOpState, ">ZT NOS");
    } else {
        ui::setText(w, ids::kOpState, ">ZT OK");
        ReadLiveValues(w);
    }
    ArmStatusCountdown();
    appState.busy = 0;
}

}  // namespace

void TestZtCommand(ui::Window& w, int) {
    ui::setText(w, ids::kMessageLine, "");
    LockButtons(w);
    if (!appState.busy) RunTest(w);
    RefreshButtons(w);
}

}  // namespace zt
