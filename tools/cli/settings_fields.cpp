#include "cli/settings_fields.h"

#include <algorithm>
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

// The value a text gives a setting, as an edit; or why it gives none.
std::optional<std::string> Parse(const Setting& s, const std::string& text, Edit& e) {
    std::optional<std::int64_t> value;
    std::string wanted;
    switch (s.kind) {
        case Kind::Number:
            value = ParseNumber(text);
            wanted = "a number";
            if (s.typed()) break;
            if (value && (*value < s.min || *value > s.max)) value.reset();
            wanted = std::to_string(s.min) + " or " + std::to_string(s.max);
            break;
        case Kind::Flag:
            value = ParseFlag(text), wanted = "true or false";
            break;
        case Kind::Choice:
            value = ParseEntry(s, text), wanted = OneOf(s);
            break;
        case Kind::Text:
            e.text = text;
            return std::nullopt;
    }
    if (!value) return NotA(wanted, text);
    e.value = *value;
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
    std::vector<Edit> edits;
    std::set<const NamedSetting*> named;
    for (const auto& [name, text] : changes) {
        const NamedSetting* found = FindSetting(name);
        if (!found) return UnknownSettingText(name);
        // Only the last of the values would count, and the others are most
        // likely a slip.
        if (!named.insert(found).second) return name + ": named twice";
        Edit& e = edits.emplace_back(Edit{found->row, found->user});
        if (auto refusal = Parse(*found->row, text, e)) return name + ": " + *refusal;
    }
    const std::optional<Refused> refused = ApplyEdits(image, edits);
    if (!refused) return std::nullopt;
    // A message's refusal names the message itself.
    if (!refused->setting || refused->setting->kind == Kind::Text) return refused->text;
    return FullName(*refused->setting, refused->user) + ": " + refused->text;
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
