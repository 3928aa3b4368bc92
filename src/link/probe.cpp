#include "link/probe.h"

#include <system_error>
#include <thread>

namespace zt {

ProbedPort ProbePort(const PortEntry& entry, const PortWaits& waits) {
    ProbedPort probed{entry, std::nullopt};
    // Never a port another program holds or that may not be opened: the
    // listing found out without keeping it.
    if (entry.state != ProbeResult::Present) return probed;
    Port port;
    port.waits() = waits;
    probed.detection = DetectKeyer(port, {entry.number, entry.device}, {});
    port.Close();
    return probed;
}

std::vector<ProbedPort> ProbePorts(const std::vector<PortEntry>& ports, const PortWaits& waits) {
    // Each port on a thread of its own: a silent port costs its wait once,
    // however many there are. The ports share nothing.
    std::vector<ProbedPort> probed(ports.size());
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < ports.size(); ++i) {
        try {
            threads.emplace_back([&, i] { probed[i] = ProbePort(ports[i], waits); });
        } catch (const std::system_error&) {
            probed[i] = ProbePort(ports[i], waits);  // no thread to be had: here, then
        }
    }
    for (std::thread& t : threads) t.join();
    return probed;
}

}  // namespace zt
