#include "settings/schema.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <iterator>

namespace zt {

namespace {

constexpr std::int64_t kSidetoneDividend = 62500;  // the code is 62500 / Hz

// ---- The two lists whose entries are not a plain bit field ----

constexpr std::uint8_t kVariantBits = 0xC0;  // outputRegister bits 7-6: the Ultimatic variant

struct KeyerMode {
    std::uint8_t modeBits;  // modeRegister bits 5-4
    int variantBits;        // -1: the Ultimatic variant is left as it is
};
constexpr KeyerMode kKeyerModes[] = {
    {0x10, -1}, {0x00, -1}, {0x20, 0x00}, {0x20, 0x80}, {0x20, 0x40}, {0x30, -1},
};
// Bit 3 port 2, bit 2 port 1, bit 1 sidetone, bit 0 PTT, by entry.
constexpr std::uint8_t kOutputValues[] = {4, 6, 5, 7, 8, 10, 9, 11};
static_assert(std::size(kKeyerModes) == std::size(kKeyerModeNames));
static_assert(std::size(kOutputValues) == std::size(kOutputSelectionNames));

// ---- What the compiler checks of the table ----

// Names are unique, and no name is a dotted part of another ("rtty" beside
// "rtty.baud"), so that each is one place in show's JSON; "refused" is show's
// own key there. The keyer's own names stay clear of the users' prefixes.
constexpr bool NamesAreDistinct() {
    for (const Setting& a : kSettingRows) {
        const std::string_view name = a.name;
        if (name.empty() || name == "refused" || (!a.perUser() && name.starts_with("user")))
            return false;
        for (const Setting& b : kSettingRows) {
            if (&a == &b) continue;
            const std::string_view other = b.name;
            if (name == other) return false;
            if (other.starts_with(name) && other.size() > name.size() && other[name.size()] == '.')
                return false;
        }
    }
    return true;
}
static_assert(NamesAreDistinct());

// A sidetone's highest frequency is kept as a code that shows above it (4000
// Hz is 15, shown as 4166): that value is taken too, and stores back as 15.
constexpr bool Accepted(const Setting& s, std::int64_t value) {
    if (s.place == Place::Sidetone && value == kSidetoneDividend / (kSidetoneDividend / s.max))
        return true;
    return (s.zeroToo && value == 0) || (value >= s.min && value <= s.max);
}

constexpr int Shift(std::uint8_t mask) {
    return std::countr_zero(mask);
}

// Each row is whole for its kind, and its default is a value it accepts.
constexpr bool RowIsWhole(const Setting& s) {
    switch (s.kind) {
        case Kind::Number:
            return s.min <= s.max && Accepted(s, s.byDefault) && (!s.typed() || s.refusal[0]) &&
                   (s.place != Place::Bits || s.max <= (s.mask >> Shift(s.mask)));
        case Kind::Flag:
            return std::has_single_bit(s.mask) && (s.byDefault == 0 || s.byDefault == 1);
        case Kind::Choice:
            return !s.entries.empty() && s.byDefault >= 0 &&
                   s.byDefault < static_cast<int>(s.entries.size()) &&
                   (s.place != Place::Bits ||
                    static_cast<int>(s.entries.size()) <= (s.mask >> Shift(s.mask)) + 1);
        case Kind::Text:
            return s.place == Place::Message;
    }
    return false;
}
static_assert(std::all_of(kSettingRows.begin(), kSettingRows.end(), RowIsWhole));

// The messages' rows are msg1..msg14, in storage order.
constexpr bool MessagesInOrder() {
    int messages = 0;
    for (const Setting& s : kSettingRows) {
        if (s.place != Place::Message) continue;
        int number = 0;
        for (char c : std::string_view(s.name).substr(3)) number = number * 10 + (c - '0');
        if (MessageIndex(s) != messages++ || number != messages) return false;
    }
    return messages == kMessageCount;
}
static_assert(MessagesInOrder());

// A row that another must stay above: two typed numbers, the upper's default
// the greater. Each end by name, not through RowBelow's pointer: GCC's null
// checks under UBSan make a member access through a pointer no constant
// expression.
constexpr bool JoinsTwoNumbers(const Setting& upper) {
    for (const Setting& under : kSettingRows)
        if (std::string_view(under.name) == upper.above)
            return upper.typed() && under.typed() && !under.above && upper.notAbove &&
                   upper.byDefault > under.byDefault;
    return false;
}

// The editor checks every typed number once, a row that another must stay
// above with that one.
constexpr bool EditorChecksAll() {
    for (const Setting& s : kSettingRows) {
        bool below = false;
        for (const Setting& other : kSettingRows) below |= other.above && RowBelow(other) == &s;
        const auto n = std::count(std::begin(kEditorChecks), std::end(kEditorChecks), &s);
        if (n != (s.typed() && !below) || (s.above && !JoinsTwoNumbers(s))) return false;
    }
    return true;
}
static_assert(EditorChecksAll());

// The bits of a field that a row's value is kept in.
constexpr std::uint8_t OwnedBits(const Setting& s, Field f) {
    switch (s.place) {
        case Place::Serial:
            return f == Field::SerialHigh || f == Field::SerialLow ? 0xFF : 0;
        case Place::PotMax:  // its minimum is the other end's
            return f == Field::PotRangeWpm ? 0xFF : 0;
        case Place::KeyerMode:
            return f == s.field ? s.mask : f == Field::OutputRegister ? kVariantBits : 0;
        case Place::Message:
            return 0;
        default:
            return f == s.field ? s.mask : 0;
    }
}

// No two rows keep their values in the same bits: each row's bits of a field
// against those of the rows before it (one pass, within every compiler's
// limit on the steps of a constant expression).
constexpr bool NoBitHasTwoRows() {
    for (int k = 0; k < kFieldCount; ++k) {
        const Field f = static_cast<Field>(k);
        std::uint8_t taken = 0;
        for (const Setting& s : kSettingRows) {
            if (OwnedBits(s, f) & taken) return false;
            taken |= OwnedBits(s, f);
        }
    }
    return true;
}
static_assert(NoBitHasTwoRows());

User Owner(const Setting& s, User user) {
    return s.perUser() ? user : User::One;
}

std::uint8_t Replace(std::uint8_t byte, std::uint8_t mask, std::uint8_t bits) {
    return static_cast<std::uint8_t>((byte & ~mask) | (bits & mask));
}

int KeyerModeIndex(const SettingsImage& image, User user) {
    const int mode = At(image, user, Field::ModeRegister) & 0x30;
    int variant = At(image, user, Field::OutputRegister) & kVariantBits;
    if (variant == kVariantBits) variant = 0x80;  // 11 reads as UltimDit
    for (int i = 0; i < static_cast<int>(std::size(kKeyerModes)); ++i)
        if (kKeyerModes[i].modeBits == mode &&
            (kKeyerModes[i].variantBits < 0 || kKeyerModes[i].variantBits == variant))
            return i;
    return 0;  // every mode and variant has its entry
}

void SetKeyerMode(SettingsImage& image, User user, std::int64_t index) {
    if (index < 0 || index >= static_cast<int>(std::size(kKeyerModes))) return;
    const KeyerMode& m = kKeyerModes[index];
    std::uint8_t& mode = At(image, user, Field::ModeRegister);
    mode = Replace(mode, 0x30, m.modeBits);
    if (m.variantBits < 0) return;
    std::uint8_t& output = At(image, user, Field::OutputRegister);
    output = Replace(output, kVariantBits, static_cast<std::uint8_t>(m.variantBits));
}

// Values without an entry show as the first, "Port1".
int OutputIndex(std::uint8_t bits) {
    const auto* at = std::find(std::begin(kOutputValues), std::end(kOutputValues), bits);
    return at == std::end(kOutputValues) ? 0 : static_cast<int>(at - std::begin(kOutputValues));
}

// The fields a row's value is made of: its own bits, and for the pot's ends
// both bytes, which move together.
bool Uses(const Setting& s, Field f) {
    const bool pot = s.place == Place::PotMax || s.place == Place::PotMin;
    return OwnedBits(s, f) || (pot && (f == Field::PotMinWpm || f == Field::PotRangeWpm));
}

// The message whose pointer or bytes hold an offset of the message area.
std::optional<int> MessageAt(const SettingsImage& image, int offset) {
    if (offset >= kMessagePointerOffset && offset < kMessagePointerOffset + kMessageCount)
        return offset - kMessagePointerOffset;
    for (int n = 0; n < kMessageCount; ++n) {
        const int pointer = image[kMessagePointerOffset + n];
        for (int at = pointer + kMessagePointerBase;
             pointer && at < kMessageStoreOffset + kMessageStoreSize; ++at) {
            if (at == offset) return n;
            if (image[at] & 0x80) break;
        }
    }
    return std::nullopt;
}

std::string PrefixOf(User user) {
    return user == User::One ? "user1." : "user2.";
}

std::vector<NamedSetting> AllNames() {
    std::vector<NamedSetting> all;
    for (User user : kUsers)
        for (const Setting& s : kSettingRows)
            if (s.perUser()) all.push_back({FullName(s, user), &s, user});
    for (const Setting& s : kSettingRows)
        if (!s.perUser()) all.push_back({s.name, &s, User::One});
    return all;
}

}  // namespace

std::optional<std::int64_t> ValueOf(const SettingsImage& image, User user, const Setting& s) {
    user = Owner(s, user);
    const std::uint8_t byte = At(image, user, s.field);
    switch (s.place) {
        case Place::Bits:
        case Place::PotMin:
            return (byte & s.mask) >> Shift(s.mask);
        case Place::Sidetone:  // a code of 0 has no frequency
            return byte ? std::optional<std::int64_t>(kSidetoneDividend / byte) : std::nullopt;
        case Place::Serial:
            return byte * 256 + At(image, user, Field::SerialLow) + 1;
        case Place::PotMax:
            return byte + At(image, user, Field::PotMinWpm);
        case Place::Output:
            return OutputIndex(byte & s.mask);
        case Place::KeyerMode:
            return KeyerModeIndex(image, user);
        case Place::Selection:
            return (byte & s.mask) ? 2 : 1;
        case Place::Message:
            break;
    }
    return std::nullopt;
}

std::string TextOf(const SettingsImage& image, const Setting& s) {
    return DecodeMessages(image)[static_cast<std::size_t>(MessageIndex(s))];
}

void Store(SettingsImage& image, User user, const Setting& s, std::int64_t value) {
    user = Owner(s, user);
    std::uint8_t& byte = At(image, user, s.field);
    const bool listed = s.kind != Kind::Choice ||
                        (value >= 0 && value < static_cast<std::int64_t>(s.entries.size()));
    switch (s.place) {
        case Place::Bits:
            if (listed)
                byte = Replace(byte, s.mask, static_cast<std::uint8_t>(value << Shift(s.mask)));
            return;
        case Place::PotMin:  // the maximum stays where it was
            At(image, user, Field::PotRangeWpm) += static_cast<std::uint8_t>(byte - value);
            byte = static_cast<std::uint8_t>(value);
            return;
        case Place::Sidetone:
            byte = static_cast<std::uint8_t>(kSidetoneDividend / value);
            return;
        case Place::Serial:
            byte = static_cast<std::uint8_t>((value - 1) / 256);
            At(image, user, Field::SerialLow) = static_cast<std::uint8_t>((value - 1) % 256);
            return;
        case Place::PotMax:  // over the minimum as it is
            byte = static_cast<std::uint8_t>(value - At(image, user, Field::PotMinWpm));
            return;
        case Place::Output:
            byte = Replace(byte, s.mask, listed ? kOutputValues[value] : 0);
            return;
        case Place::KeyerMode:
            SetKeyerMode(image, user, value);
            return;
        case Place::Selection:
            byte = Replace(byte, s.mask, value == 2 ? s.mask : 0);
            return;
        case Place::Message:
            return;
    }
}

std::optional<std::string> Refusal(const Setting& s, User user, std::int64_t value) {
    if (s.kind != Kind::Number || Accepted(s, value)) return std::nullopt;
    return std::string(user == User::Two && s.refusal[1] ? s.refusal[1] : s.refusal[0]);
}

void LoadDefaults(SettingsImage& image) {
    for (User user : kUsers) {
        for (int k = 0; k < kFieldCount; ++k) At(image, user, static_cast<Field>(k)) = 0;
        for (const Setting& s : kSettingRows)
            if (Owner(s, user) == user) Store(image, user, s, s.byDefault);
    }
}

const std::vector<NamedSetting>& NamedSettings() {
    static const std::vector<NamedSetting> all = AllNames();
    return all;
}

const NamedSetting* FindSetting(std::string_view name) {
    for (const NamedSetting& n : NamedSettings())
        if (n.name == name) return &n;
    return nullptr;
}

std::string FullName(const Setting& s, User user) {
    return s.perUser() ? PrefixOf(user) + s.name : std::string(s.name);
}

std::vector<const NamedSetting*> SettingsAt(const SettingsImage& image, int offset) {
    const std::optional<int> message = MessageAt(image, offset);
    std::vector<const NamedSetting*> found;
    for (const NamedSetting& n : NamedSettings()) {
        bool holds = message && n.row->place == Place::Message && MessageIndex(*n.row) == *message;
        for (int k = 0; k < kFieldCount && !holds; ++k)
            holds = FieldOffset(n.user, static_cast<Field>(k)) == offset &&
                    Uses(*n.row, static_cast<Field>(k));
        if (holds) found.push_back(&n);
    }
    return found;
}

std::uint32_t ParseEditNumber(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i == text.size()) return 0;
    std::uint64_t n = 0;
    for (; i < text.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return 0;
        n = n * 10 + static_cast<std::uint64_t>(text[i] - '0');
        if (n > 0xFFFFFFFFu) return 0;
    }
    return static_cast<std::uint32_t>(n);
}

}  // namespace zt
