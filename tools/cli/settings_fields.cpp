#include "cli/settings_fields.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string_view>
#include <utility>

#include "cli/nearest.h"
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

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

// A whole number, signed or not, so that "-5" is out of range rather than no
// number; one too long for any bound reads as far out.
std::optional<std::int64_t> ParseNumber(const std::string& text) {
    std::size_t i = text.size() > 1 && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    if (i == text.size()) return std::nullopt;
    std::int64_t n = 0;
    for (; i < text.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
        n = std::min<std::int64_t>(n * 10 + (text[i] - '0'), 1'000'000'000'000);
    }
    return text[0] == '-' ? -n : n;
}

std::optional<bool> ParseFlag(const std::string& text) {
    const std::string lower = Lower(text);
    for (const char* yes : {"1", "true", "on", "yes"})
        if (lower == yes) return true;
    for (const char* no : {"0", "false", "off", "no"})
        if (lower == no) return false;
    return std::nullopt;
}

// The entry a text names, in any case.
std::optional<int> ParseEntry(const Setting& s, const std::string& text) {
    for (std::size_t i = 0; i < s.entries.size(); ++i)
        if (Lower(s.entries[i]) == Lower(text)) return static_cast<int>(i);
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

std::string UnknownSettingText(const std::string& name) {
    for (const Setting& s : kSettingRows)
        if (s.perUser() && name == s.name)
            return "\"" + name + "\" needs user1. or user2. in front (each user has one)";
    const std::string unknown = "no setting is called \"" + name + "\"";
    std::vector<std::string> names;
    for (const NamedSetting& n : NamedSettings()) names.push_back(n.name);
    const std::string nearest = NearestName(name, names);
    if (!nearest.empty()) return unknown + "; did you mean " + nearest + "?";
    return unknown + " (ztcli show lists them)";
}

std::vector<ShownSetting> ShowSettings(const SettingsImage& image) {
    std::vector<ShownSetting> shown;
    for (const NamedSetting& n : NamedSettings())
        shown.push_back(
            {n.name, n.row->kind, ValueText(image, n), StoredRefusal(image, n.user, *n.row)});
    return shown;
}

std::string JsonString(const std::string& text) {
    return nlohmann::json(text).dump(-1, ' ', true, nlohmann::json::error_handler_t::replace);
}

std::string ShownText(const ShownSetting& s) {
    if (!s.value) return "none";
    return s.kind == Kind::Text ? JsonString(*s.value) : *s.value;
}

std::optional<Assignment> ParseAssignment(const std::string& text) {
    const std::size_t eq = text.find('=');
    if (eq == std::string::npos || eq == 0) return std::nullopt;
    return Assignment{text.substr(0, eq), text.substr(eq + 1)};
}

std::optional<std::string> SetSettings(SettingsImage& image,
                                       const std::vector<Assignment>& changes) {
    Edit e{image, {}, {}, {}};
    std::set<const NamedSetting*> named;
    for (const auto& [name, value] : changes) {
        const NamedSetting* found = FindSetting(name);
        if (!found) return UnknownSettingText(name);
        // Only the last of the pot's values would be checked, and the others
        // are most likely a slip.
        if (!named.insert(found).second) return name + ": named twice";
        if (auto refusal = Assign(e, *found, value)) return name + ": " + *refusal;
    }
    if (auto refusal = FinishPot(e)) return refusal;
    if (e.texts)
        if (auto error = EncodeMessages(*e.texts, e.image)) return error->text;
    image = e.image;
    return std::nullopt;
}

std::vector<std::string> DifferingSettings(const SettingsImage& a, const SettingsImage& b) {
    const std::vector<ShownSetting> shownA = ShowSettings(a), shownB = ShowSettings(b);
    std::vector<std::string> lines;
    for (std::size_t k = 0; k < shownA.size(); ++k) {
        const std::string textA = ShownText(shownA[k]), textB = ShownText(shownB[k]);
        if (textA != textB) lines.push_back(shownA[k].name + ": " + textA + " -> " + textB);
    }
    return lines;
}

std::string VerifyFailure(const SettingsImage& sent, const SettingsImage& read) {
    constexpr int kShown = 8;
    const std::vector<ShownSetting> wrote = ShowSettings(sent), got = ShowSettings(read);
    const NamedSetting* first = NamedSettings().data();
    std::set<const NamedSetting*> told;
    std::vector<std::string> lines;
    int bytes = 0;
    for (int i = 0; i < kSettingsImageSize; ++i) {
        if (sent[i] == read[i]) continue;
        ++bytes;
        bool explained = false;
        for (const NamedSetting* n : SettingsAt(sent, i)) {
            const ShownSetting &w = wrote[n - first], &r = got[n - first];
            if (ShownText(w) == ShownText(r)) continue;
            explained = true;
            if (told.insert(n).second)
                lines.push_back(n->name + ": wrote " + ShownText(w) + ", read " + ShownText(r));
        }
        if (!explained)
            lines.push_back("byte " + std::to_string(i) + ": wrote " + std::to_string(sent[i]) +
                            ", read " + std::to_string(read[i]));
    }
    std::ostringstream text;
    text << "verify failed: " << bytes << " of " << kSettingsImageSize << " bytes differ";
    for (int k = 0; k < std::min<int>(kShown, lines.size()); ++k) text << "\n  " << lines[k];
    if (lines.size() > kShown) text << "\n  and " << lines.size() - kShown << " more";
    return text.str();
}

}  // namespace zt::cli
