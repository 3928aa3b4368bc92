#pragma once
// ztcli's JSON documents, built with nlohmann-json. Keys keep the order they
// were added in; text is UTF-8 and printed as ASCII with \u escapes.

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "cli/settings_fields.h"
#include "link/commands.h"
#include "link/detect.h"
#include "link/port_list.h"
#include "link/probe.h"

namespace zt::cli {

using Json = nlohmann::ordered_json;

// The document as printed: on one line, or indented by two spaces; a byte
// sequence that is not UTF-8 shows as U+FFFD rather than stopping the output.
std::string JsonText(const Json& document, bool indented = false);

// text as a JSON string, quotes and all: how `show` prints a message.
std::string JsonString(const std::string& text);

// A port's state as `ports` names it: "free", "busy", "no permission".
const char* PortStateName(ProbeResult state);
// `ports`: one object per port.
Json PortsJson(const std::vector<PortEntry>& ports);
// `ports --probe`: the same objects with "keyer", whether a keyer answered,
// and "detection", what detection found, or null where it was not tried.
Json ProbedPortsJson(const std::vector<ProbedPort>& ports);
// `test`: the detection, the readings when there are any, and why a command
// that answered failed (empty: it did not).
Json TestJson(const Detection& d, const LiveValues* values, const std::string& failure);
// `show`: dotted names become nested objects; numbers and flags are JSON's
// own, a sidetone without a frequency is null. Values the editor would refuse
// are listed by name with its message under "refused", when there are any.
Json SettingsJson(const std::vector<ShownSetting>& settings);
// `apply`: the settings a document of that shape holds, any part of it, as
// assignments in the document's order; "refused" is show's remark, not a
// setting. Nothing, or why the document is not of that shape.
std::optional<std::string> SettingsFromJson(const Json& document, std::vector<Assignment>& out);

}  // namespace zt::cli
