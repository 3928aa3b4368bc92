#include "cli/settings_fields.h"

#include <array>
#include <cctype>
#include <functional>
#include <span>

#include "resources/ids.h"
#include "settings/image.h"
#include "settings/messages.h"
#include "settings/rtty.h"

namespace zt::cli {

namespace {

// The editor's rows and boxes by the names of their labels, top to bottom.
struct Named {
    int control;
    const char* name;
};
constexpr Named kNumberNames[] = {
    {ids::kMaxWpm, "max_wpm"},
    {ids::kCmdWpm, "cmd_wpm"},
    {ids::kCurWpm, "cur_wpm"},
    {ids::kRatio, "ratio"},
    {ids::kKeyComp, "key_comp"},
    {ids::kPdlSample, "pdl_sample"},
    {ids::kFirstExtension, "first_extension"},
    {ids::kWeight, "weight"},
    {ids::kPttLeadIn, "ptt_lead_in"},
    {ids::kPttTail, "ptt_tail"},
    {ids::kFarnsWpm, "farns_wpm"},
    {ids::kLtrSpace, "ltr_space"},
    {ids::kStVolume, "st_volume"},
    {ids::kSerialNumber, "serial_number"},
    {ids::kStFreq, "st_freq"},
};
constexpr Named kOptionNames[] = {
    {ids::kSwap, "swap"},           {ids::kAutoSpace, "auto_space"},
    {ids::kCtSpace, "ct_space"},    {ids::kCut0, "cut_0"},
    {ids::kCut9, "cut_9"},          {ids::kPdlToneOnly, "pdl_tone_only"},
    {ids::kPdlWdOff, "pdl_wd_off"}, {ids::kPaddleMute, "paddle_mute"},
    {ids::kFastCmd, "fast_cmd"},    {ids::kTune50, "tune_50"},
    {ids::kSo2r, "so2r"},           {ids::kFaveWpmOff, "fave_wpm_off"},
};
constexpr const char* kMinWpmName = "min_wpm";

const NumberRow& RowFor(int control) {
    for (const NumberRow& row : kNumberRows)
        if (row.control == control) return row;
    return kNumberRows[0];  // every name above has its row
}

std::string UserPrefix(User user) {
    return user == User::One ? "user1." : "user2.";
}

// What an assignment works on: a copy of the image, the pot pairs that are
// checked at the end, and the message texts once one of them is set.
struct Edit {
    SettingsImage image;
    std::array<std::optional<std::uint32_t>, 2> potMax, potMin;
    std::optional<MessageTexts> texts;
};

using Getter = std::function<std::optional<std::string>(const SettingsImage&)>;
using Setter = std::function<std::optional<std::string>(Edit&, const std::string&)>;

struct Setting {
    std::string name;
    Kind kind;
    Getter get;
    Setter set;
};

std::optional<std::uint32_t> ParseNumber(const std::string& text) {
    if (text.empty() || text.size() > 10) return std::nullopt;
    std::uint64_t n = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
        n = n * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (n > 0xFFFFFFFFu) return std::nullopt;
    return static_cast<std::uint32_t>(n);
}

std::optional<bool> ParseFlag(const std::string& text) {
    for (const char* yes : {"1", "true", "on", "yes"})
        if (text == yes) return true;
    for (const char* no : {"0", "false", "off", "no"})
        if (text == no) return false;
    return std::nullopt;
}

std::string NotA(const std::string& what, const std::string& text) {
    return "\"" + text + "\" is not " + what;
}

int UserIndex(User user) {
    return user == User::One ? 0 : 1;
}

void AddNumbers(std::vector<Setting>& out, User user) {
    const std::string prefix = UserPrefix(user);
    for (const Named& n : kNumberNames) {
        const NumberRow& row = RowFor(n.control);
        const bool pot = row.convert == Convert::PotRange;
        out.push_back(
            {prefix + n.name, Kind::Number,
             [user, &row](const SettingsImage& image) -> std::optional<std::string> {
                 auto shown = ShownNumber(image, user, row);
                 if (!shown) return std::nullopt;
                 return std::to_string(*shown);
             },
             [user, &row, pot](Edit& e, const std::string& text) -> std::optional<std::string> {
                 auto value = ParseNumber(text);
                 if (!value) return NotA("a number", text);
                 if (pot) {
                     e.potMax[UserIndex(user)] = *value;
                     return std::nullopt;
                 }
                 if (auto refusal = Refusal(row, user, *value)) return refusal;
                 StoreNumber(e.image, user, row, *value);
                 return std::nullopt;
             }});
        if (pot)  // the pot's minimum sits beside its maximum, as in the editor
            out.push_back({prefix + kMinWpmName, Kind::Number,
                           [user](const SettingsImage& image) -> std::optional<std::string> {
                               return std::to_string(At(image, user, Field::PotMinWpm));
                           },
                           [user](Edit& e, const std::string& text) -> std::optional<std::string> {
                               auto value = ParseNumber(text);
                               if (!value) return NotA("a number", text);
                               e.potMin[UserIndex(user)] = *value;
                               return std::nullopt;
                           }});
    }
}

Setting FlagSetting(std::string name, Field field, std::uint8_t mask, User user) {
    return {std::move(name), Kind::Flag,
            [=](const SettingsImage& image) -> std::optional<std::string> {
                return (At(image, user, field) & mask) ? "true" : "false";
            },
            [=](Edit& e, const std::string& text) -> std::optional<std::string> {
                auto on = ParseFlag(text);
                if (!on) return NotA("true or false", text);
                std::uint8_t& byte = At(e.image, user, field);
                byte = *on ? byte | mask : byte & ~mask;
                return std::nullopt;
            }};
}

std::optional<int> FindEntry(std::span<const char* const> entries, const std::string& text) {
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (text == entries[i]) return static_cast<int>(i);
    return std::nullopt;
}

std::string OneOf(std::span<const char* const> entries) {
    std::string list;
    for (const char* e : entries) list += (list.empty() ? "\"" : ", \"") + std::string(e) + "\"";
    return "one of " + list;
}

Setting ChoiceSetting(std::string name, std::span<const char* const> entries,
                      std::function<int(const SettingsImage&)> index,
                      std::function<void(SettingsImage&, int)> select) {
    return {std::move(name), Kind::Choice,
            [=](const SettingsImage& image) -> std::optional<std::string> {
                return entries[static_cast<std::size_t>(index(image))];
            },
            [=](Edit& e, const std::string& text) -> std::optional<std::string> {
                auto i = FindEntry(entries, text);
                if (!i) return NotA(OneOf(entries), text);
                select(e.image, *i);
                return std::nullopt;
            }};
}

void AddLists(std::vector<Setting>& out, User user) {
    const std::string prefix = UserPrefix(user);
    out.push_back(ChoiceSetting(
        prefix + "output_selection", kOutputSelectionNames,
        [user](const SettingsImage& im) { return OutputSelectionIndex(im, user); },
        [user](SettingsImage& im, int i) { SetOutputSelection(im, user, i); }));
    out.push_back(ChoiceSetting(
        prefix + "paddle_hang", kPaddleHangNames,
        [user](const SettingsImage& im) { return PaddleHangIndex(im, user); },
        [user](SettingsImage& im, int i) { SetPaddleHang(im, user, i); }));
    out.push_back(ChoiceSetting(
        prefix + "keyer_mode", kKeyerModeNames,
        [user](const SettingsImage& im) { return KeyerModeIndex(im, user); },
        [user](SettingsImage& im, int i) { SetKeyerMode(im, user, i); }));
}

void AddRtty(std::vector<Setting>& out, User user) {
    const std::string prefix = UserPrefix(user) + "rtty.";
    for (const RttyBox& b : kRttyBoxes)
        out.push_back(FlagSetting(prefix + b.key, Field::RttyRegister1, b.mask, user));
    out.push_back(ChoiceSetting(
        prefix + "baud", kRttyBaudNames,
        [user](const SettingsImage& im) {
            return At(im, user, Field::RttyRegister1) & kRttyBaudBits;
        },
        [user](SettingsImage& im, int i) {
            std::uint8_t& r1 = At(im, user, Field::RttyRegister1);
            r1 = static_cast<std::uint8_t>((r1 & ~kRttyBaudBits) | i);
        }));
    for (const RttyList& l : kRttyLists) {
        const std::uint8_t mask = l.mask;
        out.push_back(ChoiceSetting(
            prefix + l.key, l.entries,
            [user, mask](const SettingsImage& im) {
                return (At(im, user, Field::RttyRegister2) & mask) ? 1 : 0;
            },
            [user, mask](SettingsImage& im, int i) {
                std::uint8_t& r2 = At(im, user, Field::RttyRegister2);
                r2 = i ? r2 | mask : r2 & ~mask;
            }));
    }
}

Setting SelectionSetting(std::string name, std::uint8_t bit) {
    return {std::move(name), Kind::Number,
            [bit](const SettingsImage& image) -> std::optional<std::string> {
                return (At(image, User::One, Field::AuxRegister) & bit) ? "2" : "1";
            },
            [bit](Edit& e, const std::string& text) -> std::optional<std::string> {
                if (text != "1" && text != "2") return NotA("1 or 2", text);
                SetSelectionBit(e.image, bit, text == "2");
                return std::nullopt;
            }};
}

Setting MessageSetting(int n) {
    return {"msg" + std::to_string(n + 1), Kind::Text,
            [n](const SettingsImage& image) -> std::optional<std::string> {
                return DecodeMessages(image)[static_cast<std::size_t>(n)];
            },
            [n](Edit& e, const std::string& text) -> std::optional<std::string> {
                if (!e.texts) e.texts = DecodeMessages(e.image);
                (*e.texts)[static_cast<std::size_t>(n)] = text;
                return std::nullopt;
            }};
}

const std::vector<Setting>& Settings() {
    static const std::vector<Setting> all = [] {
        std::vector<Setting> s;
        for (User user : {User::One, User::Two}) {
            AddNumbers(s, user);
            for (const Named& n : kOptionNames) {
                const OptionBox* box = FindOptionBox(n.control);
                s.push_back(FlagSetting(UserPrefix(user) + n.name, box->field, box->bit, user));
            }
            AddLists(s, user);
            AddRtty(s, user);
        }
        s.push_back(SelectionSetting("selected_user", kSelectedUserBit));
        s.push_back(SelectionSetting("selected_bank", kSelectedBankBit));
        for (int n = 0; n < kMessageCount; ++n) s.push_back(MessageSetting(n));
        return s;
    }();
    return all;
}

// The pot pairs that were set, checked with both ends as they end up.
std::optional<std::string> FinishPot(Edit& e) {
    for (User user : {User::One, User::Two}) {
        const int u = UserIndex(user);
        if (!e.potMax[u] && !e.potMin[u]) continue;
        const NumberRow& row = RowFor(ids::kMaxWpm);
        const std::uint32_t maxWpm = e.potMax[u].value_or(PotMaxWpm(e.image, user));
        const std::uint32_t minWpm = e.potMin[u].value_or(At(e.image, user, Field::PotMinWpm));
        if (auto refusal = Refusal(row, user, maxWpm, minWpm))
            return NumberName(user, row) + ": " + *refusal;
        StoreNumber(e.image, user, row, maxWpm, minWpm);
    }
    return std::nullopt;
}

}  // namespace

std::vector<ShownSetting> ShowSettings(const SettingsImage& image) {
    std::vector<ShownSetting> shown;
    for (const Setting& s : Settings()) shown.push_back({s.name, s.kind, s.get(image)});
    return shown;
}

std::string NumberName(User user, const NumberRow& row) {
    for (const Named& n : kNumberNames)
        if (n.control == row.control) return UserPrefix(user) + n.name;
    return UserPrefix(user) + "?";
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
        const Setting* found = nullptr;
        for (const Setting& s : Settings())
            if (s.name == name) found = &s;
        if (!found) return "no setting is called \"" + name + "\" (ztcli show lists them)";
        if (auto refusal = found->set(e, value)) return name + ": " + *refusal;
    }
    if (auto refusal = FinishPot(e)) return refusal;
    if (e.texts)
        if (auto error = EncodeMessages(*e.texts, e.image)) return error->text;
    image = e.image;
    return std::nullopt;
}

}  // namespace zt::cli
