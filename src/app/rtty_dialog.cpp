#include "app/rtty_dialog.h"

#include <cstdint>

#include "app/main_window.h"
#include "common/app_state.h"
#include "resources/ids.h"
#include "resources/templates.h"
#include "settings/image.h"

namespace zt {

namespace {

std::uint8_t& Register1() {
    return At(appState.image, editedUser, Field::RttyRegister1);
}
std::uint8_t& Register2() {
    return At(appState.image, editedUser, Field::RttyRegister2);
}

struct Bit {
    int id;
    std::uint8_t mask;
};
// Register 1's check boxes; bit 3 belongs to none and is written as 0.
constexpr Bit kRegister1Boxes[] = {
    {ids::kRttyEnable, 0x80},   {ids::kRttyDiddle, 0x40},  {ids::kRttyFskMap, 0x20},
    {ids::kRttyAutoCrlf, 0x10}, {ids::kRttyReverse, 0x04},
};
constexpr std::uint8_t kBaudBits = 0x03;
// Register 2's two-entry lists: the bit is set unless the first entry is selected.
constexpr Bit kRegister2Lists[] = {
    {ids::kRttyStopBits, 0x08}, {ids::kRttyDiddleIs, 0x04}, {ids::kRttyUsos, 0x01}};

void Initialise(ui::Window& w) {
    ui::comboAddAll(w, ids::kRttyBaud, {"45.45", "50", "75", "100"});
    ui::comboAddAll(w, ids::kRttyStopBits, {"2.0", "1.5"});
    ui::comboAddAll(w, ids::kRttyDiddleIs, {"Blank", "Ltrs"});
    ui::comboAddAll(w, ids::kRttyUsos, {"Off", "On"});
    const std::uint8_t r1 = Register1(), r2 = Register2();
    for (const Bit& b : kRegister1Boxes) ui::check(w, b.id, r1 & b.mask);
    ui::comboSelect(w, ids::kRttyBaud, r1 & kBaudBits);
    for (const Bit& b : kRegister2Lists) ui::comboSelect(w, b.id, (r2 & b.mask) ? 1 : 0);
}

// Both registers are written whole. A Baud Rate list whose text part was
// typed over has no selection: the baud rate then stays as it was.
void Accept(ui::Window& w) {
    std::uint8_t r1 = 0, r2 = 0;
    for (const Bit& b : kRegister1Boxes)
        if (ui::isChecked(w, b.id)) r1 |= b.mask;
    const int baud = ui::comboSelection(w, ids::kRttyBaud);
    r1 |= baud >= 0 ? static_cast<std::uint8_t>(baud) : Register1() & kBaudBits;
    for (const Bit& b : kRegister2Lists)
        if (ui::comboSelection(w, b.id) != 0) r2 |= b.mask;
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
