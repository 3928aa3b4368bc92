#pragma once
// Changing settings: a set of edits checked in the editor's order and stored
// all together or not at all. The window's editor and RTTY dialog and
// ztcli's set and apply change an image only here; the checks before a write
// and show's marks are the same checks on what an image holds.

#include <vector>

#include "settings/schema.h"

namespace zt {

struct Edit {
    const Setting* setting;
    User user = User::One;   // ignored for the keyer's own settings
    std::int64_t value = 0;  // a number, a flag's 0 or 1, an entry's index
    std::string text = {};   // a message's text
};

// The setting and user a refusal is about (no setting when the messages are
// too long together), and the editor's message.
struct Refused {
    const Setting* setting;
    User user;
    std::string text;
};

// Checks User 1's numbers, User 2's, then the messages, and stores every
// edit; or returns the first refusal and leaves the image as it was. A rule
// that joins two rows (the pot's ends) is checked with both as they end up
// when either is edited. A setting edited twice takes the last value; a
// selection's 1 or 2 is the caller's to keep.
std::optional<Refused> ApplyEdits(SettingsImage& image, const std::vector<Edit>& edits);

// Why the editor would refuse the value a row holds, when it would: the rule
// that it stay above another row, then its bounds.
std::optional<std::string> StoredRefusal(const SettingsImage& image, User user, const Setting& s);

// The first value of an image that the editor would refuse, in ApplyEdits'
// order; a sidetone code of 0 has no frequency and is refused as 0.
std::optional<Refused> CheckImage(const SettingsImage& image);

}  // namespace zt
