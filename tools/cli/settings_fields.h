#pragma once
// The settings of a settings image as text, under the schema's names
// (settings/schema.h): what `show` prints, what `set` and `apply` take, what
// `diff` and a write's read-back compare. Values are the ones the window's
// editor shows (the sidetone in Hz, the pot's maximum, the serial number
// counted from 1), and changes pass the editor's checks with its messages.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/keyer_records.h"
#include "settings/edits.h"

namespace zt::cli {

struct ShownSetting {
    std::string name;  // e.g. "user1.max_wpm", "user2.rtty.baud", "msg3"
    Kind kind;
    std::optional<std::string> value;    // nothing for a sidetone code of 0, which has no frequency
    std::optional<std::string> refusal;  // the editor's message, when it would refuse the value
};

// All settings in a fixed order: User 1's, User 2's, the start-up selections,
// then the fourteen messages (13 and 14 are the users' call signs).
std::vector<ShownSetting> ShowSettings(const SettingsImage& image);
// text as a JSON string, quotes and all: how `show` prints a message.
std::string JsonString(const std::string& text);
// The value as `show` prints it: "none" for no value, a message in JSON's
// quotes, anything else as it is.
std::string ShownText(const ShownSetting& s);

using Assignment = std::pair<std::string, std::string>;
// "name=value" split at the first '='; nothing when there is none.
std::optional<Assignment> ParseAssignment(const std::string& text);

// Applies the assignments, all or none (ApplyEdits); a refusal says why: a
// text that is no value of its setting, the first given; a value the editor
// refuses, its message, the first in the editor's order; a name that is no
// setting, with the one likely meant. A setting may be named once.
std::optional<std::string> SetSettings(SettingsImage& image,
                                       const std::vector<Assignment>& changes);

// Why a name is no setting, with the one that was likely meant.
std::string UnknownSettingText(const std::string& name);

// "name: A -> B" for each setting whose value differs from image a to b.
std::vector<std::string> DifferingSettings(const SettingsImage& a, const SettingsImage& b);
// Why a read-back differs from what was written: each setting whose value
// came back otherwise ("user1.cur_wpm: wrote 25, read 15"), and the bytes that
// no setting explains.
std::string VerifyFailure(const SettingsImage& sent, const SettingsImage& read);

}  // namespace zt::cli
