#pragma once
// Finding the keyer: detection on every port that is present and free, each
// given only the time a keyer takes to answer (link/waits.h), the ports side
// by side.

#include <optional>
#include <vector>

#include "link/detect.h"
#include "link/port.h"
#include "link/port_list.h"

namespace zt {

struct ProbedPort {
    PortEntry port;
    // None when the port was not tried: another program holds it, or it may
    // not be opened. A failed open at probe time is a detection like others.
    std::optional<Detection> detection;

    // A keyer answered: its firmware, or its boot loader alone.
    bool KeyerAnswered() const { return detection && detection->outcome != DetectOutcome::Failed; }
};

// Detection on one listed port; the port is closed again afterwards.
ProbedPort ProbePort(const PortEntry& entry, const PortWaits& waits = ProbeWaits());
// Every port of the list, all at once; the results in the list's order.
std::vector<ProbedPort> ProbePorts(const std::vector<PortEntry>& ports,
                                   const PortWaits& waits = ProbeWaits());

}  // namespace zt
