#include "app/about.h"

#include "app/session.h"
#include "resources/ids.h"
#include "resources/templates.h"

namespace zt {

std::string OperatingSystemLine() {
#ifdef _WIN32
    return "Operating System is MS Windows";
#else
    return "Operating System is Linux";
#endif
}

namespace {

void Initialise(ui::Window& w) {
    ui::setText(w, ids::kVersionLine, VersionLine());
    ui::setText(w, ids::kOsLine, OperatingSystemLine());
    ui::check(w, ids::kVerbose, CurrentSession().verboseMode == 1);
}

void Accept(ui::Window& w) {
    CurrentSession().verboseMode = ui::isChecked(w, ids::kVerbose) ? 1 : 0;
    ui::endDialog(w, 1);
}

// The close box keeps verbose mode as it was, whatever the box shows.
void Leave(ui::Window& w) {
    ui::endDialog(w, 0);
}

// OK (with code 0: a click or Enter) keeps what the check box shows; Escape
// leaves as the close box does. The check box toggles itself.
const ui::Route kRoutes[] = {
    {ui::Msg::Init, 0, Initialise},
    {ui::Msg::Command, ids::kAboutOk, Accept, 0},
    {ui::Msg::Command, ui::kIdCancel, Leave},
    {ui::Msg::Close, 0, Leave},
};

}  // namespace

int AboutProc(ui::Window& w, const ui::Message& m) {
    return ui::dispatch(kRoutes, w, m);
}

void RunAboutBox(ui::Window& owner) {
    ui::runModal(kAboutTemplate, &owner, AboutProc);
}

}  // namespace zt
