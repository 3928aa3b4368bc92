#include "app/port_dialog.h"

#include <string>

#include "app/session.h"
#include "link/port_list.h"
#include "resources/ids.h"

namespace zt {

namespace {

void FillList(ui::Window& w) {
    int preselected = -1;
    for (const PortEntry& e : ListPorts()) {
        int index = ui::comboAdd(w, ids::kPortList, "com" + std::to_string(e.number), e.number);
        if (e.number == CurrentSession().comPortNumber) preselected = index;
        // The device behind the number, for the eye and for the ear.
        const std::string device = e.note.empty() ? e.device : e.device + " (" + e.note + ")";
        ui::comboSetItemTip(w, ids::kPortList, index, device);
        ui::comboSetItemDescription(w, ids::kPortList, index, device);
    }
    ui::comboSelect(w, ids::kPortList, preselected);
}

void Accept(ui::Window& w) {
    // Only a listed entry may become the port; with none chosen the old one stays.
    std::optional<int> chosen = ui::comboSelectedValue(w, ids::kPortList);
    if (chosen) CurrentSession().comPortNumber = *chosen;
    ui::endDialog(w, chosen ? 1 : 0);
}

void Leave(ui::Window& w) {
    ui::endDialog(w, 0);
}

const ui::Route kRoutes[] = {
    {ui::Msg::Init, 0, FillList},
    {ui::Msg::Command, ids::kPortOk, Accept},
    {ui::Msg::Command, ids::kPortExit, Leave},
    {ui::Msg::Command, ui::kIdCancel, Leave},  // Escape
    {ui::Msg::Close, 0, Leave},
};

}  // namespace

int PortDialogProc(ui::Window& w, const ui::Message& m) {
    return ui::dispatch(kRoutes, w, m);
}

}  // namespace zt
