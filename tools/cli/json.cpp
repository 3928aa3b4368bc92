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

Json Value(const ShownSetting& s) {
    if (!s.value) return nullptr;
    switch (s.kind) {
        case Kind::Number:
            return std::stoll(*s.value);
        case Kind::Flag:
            return *s.value == "true";
        default:
            return *s.value;
    }
}

constexpr const char* kRefused = "refused";

// Nested objects back to dotted names; a value becomes the text set takes.
std::optional<std::string> Flatten(const Json& object, const std::string& prefix,
                                   std::vector<Assignment>& out) {
    for (const auto& [key, value] : object.items()) {
        if (prefix.empty() && key == kRefused) continue;
        const std::string name = prefix + key;
        if (value.is_object()) {
            if (auto trouble = Flatten(value, name + ".", out)) return trouble;
        } else if (value.is_array()) {
            return name + ": a list is not a setting's value";
        } else {
            out.push_back({name, value.is_string() ? value.get<std::string>() : value.dump()});
        }
    }
    return std::nullopt;
}

Json DetectionJson(const Detection& d) {
    return {{"outcome", Outcome(d.outcome)},
            {"chip_label", d.chipLabel},
            {"link_status", d.linkStatus},
            {"chip_variant", d.identity.chipVariant},
            {"firmware_major", d.identity.firmwareMajor},
            {"firmware_minor", d.identity.firmwareMinor}};
}

}  // namespace

std::string JsonText(const Json& document, bool indented) {
    return document.dump(indented ? 2 : -1, ' ', true, Json::error_handler_t::replace) + "\n";
}

std::string JsonString(const std::string& text) {
    return Json(text).dump(-1, ' ', true, Json::error_handler_t::replace);
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

Json TestJson(const Detection& d, const LiveValues* v, const std::string& failure) {
    Json j = DetectionJson(d);
    if (v) {
        j["pot"] = Byte(v->pot);
        j["pot_text"] = PotText(v->pot.value_or(0));
        if (v->hasPushbutton) {
            j["pushbutton"] = Byte(v->pushbutton);
            j["pushbutton_text"] = PushbuttonText(v->pushbutton.value_or(0));
        }
        j["supply"] = Byte(v->supply);
        j["supply_text"] = SupplyText(v->supply.value_or(0));
    }
    if (!failure.empty()) j["failure"] = failure;
    return j;
}

Json SettingsJson(const std::vector<ShownSetting>& settings) {
    Json root = Json::object();
    Json refused = Json::object();
    for (const ShownSetting& s : settings) {
        Json* at = &root;
        std::size_t from = 0;
        for (std::size_t dot; (dot = s.name.find('.', from)) != std::string::npos; from = dot + 1)
            at = &(*at)[s.name.substr(from, dot - from)];
        (*at)[s.name.substr(from)] = Value(s);
        if (s.refusal) refused[s.name] = *s.refusal;
    }
    if (!refused.empty()) root[kRefused] = refused;
    return root;
}

std::optional<std::string> SettingsFromJson(const Json& document, std::vector<Assignment>& out) {
    if (!document.is_object()) return "not the JSON object that ztcli show --json prints";
    return Flatten(document, "", out);
}

}  // namespace zt::cli
