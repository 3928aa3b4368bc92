#include "cli/json.h"

namespace zt::cli {

namespace {

const char* Outcome(DetectOutcome outcome) {
    switch (outcome) {
        case DetectOutcome::Firmware:
            return "firmware";
        case DetectOutcome::BootLoaderOnly:
            return "boot_loader_only";
        default:
            return "failed";
    }
}

// A reading that did not come is null, not a reading of 0.
Json Byte(const Reading& reading) {
    return reading ? Json(*reading) : Json(nullptr);
}

}  // namespace

Json DetectionJson(const Detection& d) {
    return {{"outcome", Outcome(d.outcome)},
            {"chip_label", d.chipLabel},
            {"link_status", d.linkStatus},
            {"chip_variant", d.identity.chipVariant},
            {"firmware_major", d.identity.firmwareMajor},
            {"firmware_minor", d.identity.firmwareMinor}};
}

const char* PortStateName(ProbeResult state) {
    switch (state) {
        case ProbeResult::Busy:
            return "busy";
        case ProbeResult::Denied:
            return "no permission";
        default:
            return "free";
    }
}

Json PortsJson(const std::vector<PortEntry>& ports) {
    Json list = Json::array();
    for (const PortEntry& p : ports)
        list.push_back(
            {{"com", p.number}, {"device", p.device}, {"state", PortStateName(p.state)}});
    return list;
}

Json ProbedPortsJson(const std::vector<ProbedPort>& ports) {
    Json list = Json::array();
    for (const ProbedPort& p : ports) {
        Json j = {{"com", p.port.number},
                  {"device", p.port.device},
                  {"state", PortStateName(p.port.state)},
                  {"keyer", p.KeyerAnswered()},
                  {"detection", nullptr}};
        if (p.detection) {
            j["detection"] = DetectionJson(*p.detection);
            if (!p.detection->portError.empty())
                j["detection"]["port_error"] = p.detection->portError;
        }
        list.push_back(j);
    }
    return list;
}

Json ReadingsJson(const LiveValues& v) {
    Json j = {{"pot", Byte(v.pot)}, {"pot_text", PotText(v.pot.value_or(0))}};
    if (v.hasPushbutton) {
        j["pushbutton"] = Byte(v.pushbutton);
        j["pushbutton_text"] = PushbuttonText(v.pushbutton.value_or(0));
    }
    j["supply"] = Byte(v.supply);
    j["supply_text"] = SupplyText(v.supply.value_or(0));
    return j;
}

Json TestJson(const Detection& d, const LiveValues* v, const std::string& failure) {
    Json j = DetectionJson(d);
    if (v) j.update(ReadingsJson(*v));
    if (!failure.empty()) j["failure"] = failure;
    return j;
}

}  // namespace zt::cli
