#include "cli/settings_fields.h"

#include <array>
#include <cctype>

#include "settings/messages.h"

namespace zt::cli {

namespace {

// What the assignments work on: a copy of the image, the pot pairs that are
// checked at the end, and the message texts once one of them is set.
struct Edit {
    SettingsImage image;
    std::array<std::optional<std::int64_t>, 2> potMax, potMin;
    std::optional<MessageTexts> texts;
};

std::optional<std::int64_t> ParseNumber(const std::string& text) {
    if (text.empty() || text.size() > 10) return std::nullopt;
    std::int64_t n = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
        n = n * 10 + (c - '0');
    }
    if (n > 0xFFFFFFFF) return std::nullopt;
    return n;
}

std::optional<bool> ParseFlag(const std::string& text) {
    for (const char* yes : {"1", "true", "on", "yes"})
        if (text == yes) return true;
    for (const char* no : {"0", "false", "off", "no"})
        if (text == no) return false;
    return std::nullopt;
}

std::optional<int> ParseEntry(const Setting& s, const std::string& text) {
    for (std::size_t i = 0; i < s.entries.size(); ++i)
        if (text == s.entries[i]) return static_cast<int>(i);
    return std::nullopt;
}

std::string NotA(const std::string& what, const std::string& text) {
    return "\"" + text + "\" is not " + what;
}

std::string OneOf(const Setting& s) {
    std::string list;
    for (const char* e : s.entries) list += (list.empty() ? "\"" : ", \"") + std::string(e) + "\"";
    return "one of " + list;
}

std::optional<std::string> AssignNumber(Edit& e, const NamedSetting& n, const std::string& text) {
    const Setting& s = *n.row;
    const std::optional<std::int64_t> value = ParseNumber(text);
    if (!s.refusal[0]) {  // a selection: no editor, no message of its own
        if (!value || *value < s.min || *value > s.max)
            return NotA(std::to_string(s.min) + " or " + std::to_string(s.max), text);
    } else if (!value) {
        return NotA("a number", text);
    }
    if (s.place == Place::PotMax || s.place == Place::PotMin) {
        (s.place == Place::PotMax ? e.potMax : e.potMin)[static_cast<int>(n.user)] = *value;
        return std::nullopt;
    }
    if (auto refusal = Refusal(s, n.user, *value)) return refusal;
    Store(e.image, n.user, s, *value);
    return std::nullopt;
}

std::optional<std::string> Assign(Edit& e, const NamedSetting& n, const std::string& text) {
    const Setting& s = *n.row;
    switch (s.kind) {
        case Kind::Number:
            return AssignNumber(e, n, text);
        case Kind::Flag: {
            const auto on = ParseFlag(text);
            if (!on) return NotA("true or false", text);
            Store(e.image, n.user, s, *on);
            return std::nullopt;
        }
        case Kind::Choice: {
            const auto index = ParseEntry(s, text);
            if (!index) return NotA(OneOf(s), text);
            Store(e.image, n.user, s, *index);
            return std::nullopt;
        }
        case Kind::Text:
            if (!e.texts) e.texts = DecodeMessages(e.image);
            (*e.texts)[static_cast<std::size_t>(MessageIndex(s))] = text;
            return std::nullopt;
    }
    return std::nullopt;
}

// The pot pairs that were set, checked with both ends as they end up.
std::optional<std::string> FinishPot(Edit& e) {
    for (User user : kUsers) {
        const int u = static_cast<int>(user);
        if (!e.potMax[u] && !e.potMin[u]) continue;
        const std::int64_t maxWpm = e.potMax[u].value_or(*ValueOf(e.image, user, kPotMax));
        const std::int64_t minWpm = e.potMin[u].value_or(*ValueOf(e.image, user, kPotMin));
        if (auto refusal = PotRefusal(user, maxWpm, minWpm))
            return FullName(*refusal->setting, user) + ": " + refusal->text;
        StorePot(e.image, user, maxWpm, minWpm);
    }
    return std::nullopt;
}

std::optional<std::string> ValueText(const SettingsImage& image, const NamedSetting& n) {
    const Setting& s = *n.row;
    if (s.kind == Kind::Text) return TextOf(image, s);
    const std::optional<std::int64_t> value = ValueOf(image, n.user, s);
    if (!value) return std::nullopt;
    switch (s.kind) {
        case Kind::Flag:
            return *value ? "true" : "false";
        case Kind::Choice:
            return s.entries[static_cast<std::size_t>(*value)];
        default:
            return std::to_string(*value);
    }
}

}  // namespace

std::vector<ShownSetting> ShowSettings(const SettingsImage& image) {
    std::vector<ShownSetting> shown;
    for (const NamedSetting& n : NamedSettings())
        shown.push_back({n.name, n.row->kind, ValueText(image, n)});
    return shown;
}

std::optional<Assignment> ParseAssignment(const std::string& text) {
    const std::size_t eq = text.find('=');
    if (eq == std::string::npos || eq == 0) return std::nullopt;
    return Assignment{text.substr(0, eq), text.substr(eq + 1)};
}

std::optional<std::string> SetSettings(SettingsImage& image,
                                       const std::vector<Assignment>& changes) {
    Edit e{image, {}, {}, {}};
    for (const auto& [name, value] : changes) {
        const NamedSetting* found = FindSetting(name);
        if (!found) return "no setting is called \"" + name + "\" (ztcli show lists them)";
        if (auto refusal = Assign(e, *found, value)) return name + ": " + *refusal;
    }
    if (auto refusal = FinishPot(e)) return refusal;
    if (e.texts)
        if (auto error = EncodeMessages(*e.texts, e.image)) return error->text;
    image = e.image;
    return std::nullopt;
}

}  // namespace zt::cli
