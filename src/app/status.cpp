#include "app/status.h"

#include <algorithm>
#include <string>

#include "app/session.h"
#include "app/setting_controls.h"
#include "resources/ids.h"
#include "settings/messages.h"

namespace zt {

int CountMessageText(ui::Window& w) {
    int n = 0;
    for (int id : kMessageEdits) n += std::min<int>(kCountedPerMessage, ui::getText(w, id).size());
    return n;
}

void StatusTick(ui::Window& w) {
    int n = CountMessageText(w);
    ui::setText(w, ids::kBytesLeft, "Msg Bytes Left: " + std::to_string(kBytesLeftWhenEmpty - n));
    int& countdown = CurrentSession().statusCountdown;
    if (countdown <= 0) return;
    if (countdown == 1) ui::setText(w, ids::kOpState, "");
    --countdown;
}

void ArmStatusCountdown() {
    CurrentSession().statusCountdown = kCountdownTicks;
}

void AnnounceFields(ui::Window& w, std::initializer_list<int> fields) {
    std::string said;
    for (int id : fields) {
        const std::string text = ui::getText(w, id);
        if (text.empty()) continue;
        said += (said.empty() ? "" : ", ") + text;
    }
    ui::announce(w, said);
}

}  // namespace zt
