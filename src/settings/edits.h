#pragma once
// Changing settings: a set of edits checked in the editor's order and stored
// together, or not at all. The window's editor and RTTY dialog and ztcli's
// set and apply all change an image here; the checks before a write and
// show's marks of refused values are the same checks on what an image holds.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings/schema.h"

namespace zt {

struct Edit {
    const Setting* setting;
    User user = User::One;   // ignored for the keyer's own settings
    std::int64_t value = 0;  // a number, a flag's 0 or 1, an entry's index
    std::string text = {};   // a message's text
};

// A refused value: the setting and user it is about, and the editor's
// message. A message that cannot be stored names its row, or none when the
// messages are too long together.
struct Refused {
    const Setting* setting;
    User user;
    std::string text;
};

// Checks the edits, User 1's numbers then User 2's in the editor's order,
// then the messages, and stores them all: the first refusal, with the image
// unchanged, or nothing. A number is held to its row's bounds; a rule that
// joins two rows (the pot's ends) is checked with both as they end up when
// either is edited. Messages not edited keep their texts. A setting edited
// twice takes the last value. A selection's 1 or 2 is the caller's to keep.
std::optional<Refused> ApplyEdits(SettingsImage& image, const std::vector<Edit>& edits);

// Why the editor would refuse the value a row has in an image, when it
// would: the rule that it stay above another row, then its bounds.
std::optional<std::string> StoredRefusal(const SettingsImage& image, User user, const Setting& s);

// The first value of an image that the editor would refuse, User 1's numbers
// then User 2's in the editor's order; nothing when all pass. A sidetone
// code of 0 has no frequency and is refused as one.
std::optional<Refused> CheckImage(const SettingsImage& image);

}  // namespace zt
