#pragma once
// ztcli's JSON documents beside the settings' (settings_json.h): the ports
// and what test found.

#include <string>
#include <vector>

#include "cli/settings_json.h"
#include "link/commands.h"
#include "link/detect.h"
#include "link/port_list.h"
#include "link/probe.h"

namespace zt::cli {

// What detection found: outcome, chip label, link status, the identity.
Json DetectionJson(const Detection& d);
// A port's state as `ports` names it: "free", "busy", "no permission".
const char* PortStateName(ProbeResult state);
// `ports`: one object per port.
Json PortsJson(const std::vector<PortEntry>& ports);
// `ports --probe`: the same objects with "keyer", whether a keyer answered,
// and "detection", what detection found, or null where it was not tried.
Json ProbedPortsJson(const std::vector<ProbedPort>& ports);
// The readings as `test` prints them: pot, push-button (when the chip has
// one) and supply, each as a number and as the window's text.
Json ReadingsJson(const LiveValues& v);
// `test`: the detection, the readings when there are any, and why a command
// that answered failed (empty: it did not).
Json TestJson(const Detection& d, const LiveValues* values, const std::string& failure);

}  // namespace zt::cli
