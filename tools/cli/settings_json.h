#pragma once
// The settings as the JSON document `show --json` prints and `apply` takes
// back, built with nlohmann-json. Keys keep the order they were added in;
// text is UTF-8 and printed as ASCII with \u escapes. Apart from the rest of
// ztcli, so that the fuzzing build links it without the command line.

#include <cstddef>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/settings_fields.h"

namespace zt::cli {

using Json = nlohmann::ordered_json;

// The document as printed: on one line, or indented by two spaces; a byte
// sequence that is not UTF-8 shows as U+FFFD rather than stopping the output.
std::string JsonText(const Json& document, bool indented = false);

// `show`: dotted names become nested objects; numbers and flags are JSON's
// own, a sidetone without a frequency is null. Values the editor would refuse
// are listed by name with its message under "refused", when there are any.
Json SettingsJson(const std::vector<ShownSetting>& settings);

// The longest document `apply` reads; show's whole document is under 3 kB.
inline constexpr std::size_t kSettingsJsonLimit = std::size_t{1} << 20;

// `apply`: the settings a document of show's shape holds, any part of it, as
// assignments in the document's order; "refused" is show's remark, not a
// setting. Messages and list entries take strings, numbers whole numbers,
// flags true or false. Nothing, or why the document is not of that shape,
// naming the key: a member named twice, an empty object, an object that is
// no group of settings (so nothing deeper than show's document is read), a
// value of the wrong type, anything after the document.
std::optional<std::string> SettingsFromJson(std::string_view text, std::vector<Assignment>& out);

}  // namespace zt::cli
