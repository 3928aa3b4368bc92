#include "link/port_dialog.h"

#include "common/app_state.h"
#include "common/config_file.h"
#include "platform/paths.h"
#include "platform/serial.h"
#include "resources/ids.h"

namespace zt {

namespace {

// The numbers behind the list entries, in list order, while the dialog is open.
std::vector<int> portNumbers;

void FillList(ui::Window& w) {
    portNumbers.clear();
    int preselected = -1;
    for (const PortEntry& e : ListPorts()) {
        if (e.number == comPortNumber) preselected = static_cast<int>(portNumbers.size());
        portNumbers.push_back(e.number);
        int index = ui::comboAdd(w, ids::kPortList, "com" + std::to_string(e.number));
        ui::comboSetItemTip(w, ids::kPortList, index,
                            e.note.empty() ? e.device : e.device + " (" + e.note + ")");
    }
    ui::comboSelect(w, ids::kPortList, preselected);
}

void Accept(ui::Window& w) {
    int index = ui::comboSelection(w, ids::kPortList);
    // Only a listed entry may become the port; with none chosen the old one stays.
    if (index >= 0 && index < static_cast<int>(portNumbers.size())) {
        comPortNumber = portNumbers[index];
        SaveComPortSetting();
    }
    ui::endDialog(w, 0);
}

}  // namespace

std::vector<PortEntry> ListPorts() {
    std::vector<PortEntry> entries;
    for (int n = 1; n <= kHighestComPort; ++n) {
        std::string device = ComDevicePath(n);
        if (device.empty()) continue;
        switch (ProbeDevice(device)) {
            case ProbeResult::Present:
                entries.push_back({n, device, ""});
                break;
            case ProbeResult::Busy:
                entries.push_back({n, device, "in use"});
                break;
            case ProbeResult::Denied:
                entries.push_back({n, device, "permission denied: join the dialout group"});
                break;
            case ProbeResult::Missing:
                break;
        }
    }
    return entries;
}

int PortDialogProc(ui::Window& w, const ui::Message& m) {
    switch (m.msg) {
        case ui::Msg::Init:
            FillList(w);
            return 1;
        case ui::Msg::Command:
            if (m.id == ids::kPortOk) {
                Accept(w);
                return 1;
            }
            if (m.id == ids::kPortExit) {
                ui::endDialog(w, 0);
                return 1;
            }
            return 0;
        case ui::Msg::Close:
            ui::endDialog(w, 0);
            return 1;
        default:
            return 0;
    }
}

}  // namespace zt
