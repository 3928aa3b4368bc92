#include "link/port_list.h"

#include "system/device_access.h"
#include "system/paths.h"

namespace zt {

namespace {

std::string BusyNote([[maybe_unused]] const std::string& device) {
#ifndef _WIN32
    if (SystemConsole(device)) return "the system's console";
#endif
    return "in use";
}

}  // namespace

std::vector<PortEntry> ListPorts() {
    std::vector<PortEntry> entries;
    for (int n = 1; n <= kHighestComPort; ++n) {
        std::string device = ComDevicePath(n);
        if (device.empty()) continue;
        switch (ProbeDevice(device)) {
            case ProbeResult::Present:
                entries.push_back({n, device, "", ProbeResult::Present});
                break;
            case ProbeResult::Busy:
                entries.push_back({n, device, BusyNote(device), ProbeResult::Busy});
                break;
            case ProbeResult::Denied: {
                const std::string advice = DeniedAdvice(device);
                entries.push_back({n, device,
                                   "permission denied" + (advice.empty() ? "" : ": " + advice),
                                   ProbeResult::Denied});
                break;
            }
            case ProbeResult::Missing:
                break;
        }
    }
    return entries;
}

}  // namespace zt
