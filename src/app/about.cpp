#include "app/about.h"

#include "app/build_info.h"
#include "common/app_state.h"
#include "resources/ids.h"
#include "resources/templates.h"

namespace zt {

std::string VersionLine() {
    return std::string("Ver ") + kVersionText + ", Built " + kBuildTime + ", " + kBuildDate;
}

std::string OperatingSystemLine() {
#ifdef _WIN32
    return "Operating System is MS Windows";
#else
    return "Operating System is Linux";
#endif
}

int AboutProc(ui::Window& w, const ui::Message& m) {
    switch (m.msg) {
        case ui::Msg::Init:
            ui::setText(w, ids::kVersionLine, VersionLine());
            ui::setText(w, ids::kOsLine, OperatingSystemLine());
            ui::check(w, ids::kVerbose, appState.verboseMode == 1);
            return 1;
        case ui::Msg::Command:
            // Only OK counts; the check box toggles itself and Escape does nothing.
            if (m.id != ids::kAboutOk || m.code != 0) return 0;
            appState.verboseMode = ui::isChecked(w, ids::kVerbose) ? 1 : 0;
            ui::endDialog(w, 1);
            return 1;
        case ui::Msg::Close:
            ui::endDialog(w, 0);
            return 1;
        default:
            return 0;
    }
}

void RunAboutBox(ui::Window& owner) {
    ui::runModal(kAboutTemplate, &owner, AboutProc);
}

}  // namespace zt
