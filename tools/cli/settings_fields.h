#pragma once
// The settings of a settings image as text, under the schema's names
// (settings/schema.h): what `show` prints and what `set` takes. Values are
// the ones the window's editor shows (the sidetone in Hz, the pot's maximum,
// the serial number counted from 1), and changes pass the editor's checks
// with its messages.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/app_state.h"
#include "settings/schema.h"

namespace zt::cli {

struct ShownSetting {
    std::string name;  // e.g. "user1.max_wpm", "user2.rtty.baud", "msg3"
    Kind kind;
    std::optional<std::string> value;  // nothing for a sidetone code of 0, which has no frequency
};

// All settings in a fixed order: User 1's, User 2's, the start-up selections,
// then the fourteen messages (13 and 14 are the users' call signs).
std::vector<ShownSetting> ShowSettings(const SettingsImage& image);

using Assignment = std::pair<std::string, std::string>;
// "name=value" split at the first '='; nothing when there is none.
std::optional<Assignment> ParseAssignment(const std::string& text);

// Applies the assignments, all or none: on a refusal the image is left as it
// was and the text says why (for a value out of range, the editor's message).
// The pot's minimum and maximum are checked together after all assignments,
// so that both can move in one call.
std::optional<std::string> SetSettings(SettingsImage& image,
                                       const std::vector<Assignment>& changes);

}  // namespace zt::cli
