#include "app/rtty_dialog.h"

#include <cstdint>

#include "app/session.h"
#include "app/window_state.h"
#include "resources/ids.h"
#include "resources/templates.h"
#include "settings/image.h"
#include "settings/rtty.h"

namespace zt {

namespace {

std::uint8_t& Register1() {
    return At(appState.image, editedUser, Field::RttyRegister1);
}
std::uint8_t& Register2() {
    return At(appState.image, editedUser, Field::RttyRegister2);
}

void Initialise(ui::Window& w) {
    ui::comboAddAll(w, ids::kRttyBaud, kRttyBaudNames);
    for (const RttyList& l : kRttyLists) ui::comboAddAll(w, l.control, l.entries);
    const std::uint8_t r1 = Register1(), r2 = Register2();
    for (const RttyBox& b : kRttyBoxes) ui::check(w, b.control, r1 & b.mask);
    ui::comboSelect(w, ids::kRttyBaud, r1 & kRttyBaudBits);
    for (const RttyList& l : kRttyLists) ui::comboSelect(w, l.control, (r2 & l.mask) ? 1 : 0);
}

// Both registers are written whole. A Baud Rate list whose text part was
// typed over has no selection: the baud rate then stays as it was.
void Accept(ui::Window& w) {
    std::uint8_t r1 = 0, r2 = 0;
    for (const RttyBox& b : kRttyBoxes)
        if (ui::isChecked(w, b.control)) r1 |= b.mask;
    const int baud = ui::comboSelection(w, ids::kRttyBaud);
    r1 |= baud >= 0 ? static_cast<std::uint8_t>(baud) : Register1() & kRttyBaudBits;
    for (const RttyList& l : kRttyLists)
        if (ui::comboSelection(w, l.control) != 0) r2 |= l.mask;
    Register1() = r1;
    Register2() = r2;
    ui::endDialog(w, 1);
}

void Leave(ui::Window& w) {
    ui::endDialog(w, 0);
}

// Enter sends command 1, which leaves like Cancel; Escape's command 2 goes
// unhandled and the dialog stays open.
const ui::Route kRoutes[] = {
    {ui::Msg::Init, 0, Initialise},
    {ui::Msg::Command, ids::kRttyOk, Accept},
    {ui::Msg::Command, ids::kRttyCancel, Leave},
    {ui::Msg::Command, ui::kIdOk, Leave},
    {ui::Msg::Close, 0, Leave},
};

}  // namespace

int RttyProc(ui::Window& w, const ui::Message& m) {
    return ui::dispatch(kRoutes, w, m);
}

void RttyCommand(ui::Window& owner) {
    ui::runModal(kRttyTemplate, &owner, RttyProc);
}

}  // namespace zt
