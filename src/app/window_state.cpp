#include "app/window_state.h"

#include <initializer_list>

#include "app/session.h"
#include "link/detect.h"
#include "resources/ids.h"

namespace zt {

namespace {

void SetAll(ui::Window& w, std::initializer_list<int> idList, bool on) {
    for (int id : idList) ui::enable(w, id, on);
}

}  // namespace

void ShowMessageBank(ui::Window& w, Bank bank) {
    bool one = bank == Bank::One;
    for (int k = 0; k < 6; ++k) {
        ui::show(w, ids::kMsg1 + k, one);
        ui::show(w, ids::kMsgLabel1 + k, one);
        ui::show(w, ids::kMsg7 + k, !one);
        ui::show(w, ids::kMsgLabel7 + k, !one);
    }
}

void DisableKeyerButtons(ui::Window& w) {
    SetAll(w,
           {ids::kWriteZt, ids::kReadZt, ids::kFwUpdate, ids::kReadConfigFile,
            ids::kWriteConfigFile, ids::kRtty},
           false);
}

void LockButtons(ui::Window& w) {
    SetAll(w,
           {ids::kTestZt, ids::kWriteZt, ids::kReadZt, ids::kBank1, ids::kBank2, ids::kUser1,
            ids::kUser2, ids::kSetComPort, ids::kFwUpdate, ids::kRtty},
           false);
    // The settings files need no keyer, so every operation opens them up.
    SetAll(w, {ids::kReadConfigFile, ids::kWriteConfigFile}, true);
}

void RefreshButtons(ui::Window& w) {
    SetAll(w, {ids::kTestZt, ids::kSetComPort, ids::kBank1, ids::kBank2, ids::kUser1, ids::kUser2},
           true);
    const KeyerAllows allows = AllowedBy(CurrentSession().keyer);
    if (allows.firmwareUpdate) ui::enable(w, ids::kFwUpdate, true);
    if (allows.settings)
        SetAll(
            w,
            {ids::kWriteZt, ids::kReadZt, ids::kReadConfigFile, ids::kWriteConfigFile, ids::kRtty},
            true);
}

}  // namespace zt
