#include "settings/controls.h"

#include <cctype>
#include <iterator>

#include "resources/ids.h"

namespace zt {

// clang-format off
const NumberRow kNumberRows[kNumberRowCount] = {
    {ids::kWeight, 0, Field::Weight, Convert::Plain, 10, 90, false,
     {"Weight must be between 10 and 90", "Weight must be between 10 and 90"}},
    {ids::kPttLeadIn, 0, Field::PttLeadIn, Convert::Plain, 0, 250, false,
     {"Lead In must be 250 or less.", "Lead In must be 250 or less."}},
    {ids::kPttTail, 0, Field::PttTail, Convert::Plain, 0, 250, false,
     {"Tail must be 250 or less.", "Tail must be 250 or less."}},
    {ids::kStFreq, 0, Field::SidetoneCode, Convert::Sidetone, 500, 4000, false,
     {"Freq must be 500 or greater.", "Freq must be between 500 and 4000."}},
    {ids::kFirstExtension, 0, Field::FirstExtension, Convert::Plain, 0, 250, false,
     {"1st Extend must be 250 or less.", "Extend must be 250 or less."}},
    {ids::kKeyComp, 0, Field::KeyCompensation, Convert::Plain, 0, 250, false,
     {"Key Comp must be 250 or less.", "Key Comp must be 250 or less."}},
    {ids::kFarnsWpm, 0, Field::FarnsworthWpm, Convert::Plain, 10, kFarnsworthMax, true,
     {"Farns must be 0 or between 10 and 90", "Farnsworth WPM must be 0 or between 10 and 90"}},
    {ids::kPdlSample, 0, Field::PaddleSample, Convert::Plain, 10, 90, true,
     {"Paddle Sample must be 0 or between 10 and 90", "Paddle Sample must be between 10 and 90"}},
    {ids::kCmdWpm, 0, Field::CommandWpm, Convert::Plain, 5, 99, false,
     {"Command WPM must be between 5 and 99", "CMDWPM must be between 5 and 99"}},
    {ids::kCurWpm, 0, Field::FavoriteWpm, Convert::Plain, 5, 99, false,
     {"Favorite WPM must be between 5 and 99", "Favorite WPM must be between 5 and 99"}},
    {ids::kStVolume, 0, Field::SidetoneVolume, Convert::Plain, 1, 4, false,
     {"Sidetone volume must be between 1 and 4", "Sidetone volume must be between 1 and 4"}},
    {ids::kSerialNumber, 0, Field::SerialHigh, Convert::Serial, 1, 9999, false,
     {"Serial number must be between 1 and 9999", "Serial number must be between 1 and 9999"}},
    {ids::kRatio, 0, Field::Ratio, Convert::Plain, 33, 66, false,
     {"Ratio must be between 33 and 66", "Ratio must be between 33 and 66"}},
    {ids::kMaxWpm, ids::kMinWpm, Field::PotMinWpm, Convert::PotRange, 5, 99, false,
     {"Pot Max must be between 5 and 99", "Pot Max must be between 5 and 99"}},
    {ids::kLtrSpace, 0, Field::AuxRegister, Convert::LetterSpace, 0, 31, false,
     {"Letterspace Adjustment can't be greater than 31",
      "Letterspace Adjustment can't be greater than 31"}},
};

const OptionBox kOptionBoxes[kOptionBoxCount] = {
    {ids::kSwap, Field::ModeRegister, 0x08},
    {ids::kAutoSpace, Field::ModeRegister, 0x02},
    {ids::kCtSpace, Field::ModeRegister, 0x01},
    {ids::kPdlWdOff, Field::ModeRegister, 0x80},
    {ids::kCut0, Field::ExtensionRegister, 0x10},
    {ids::kCut9, Field::ExtensionRegister, 0x20},
    {ids::kPdlToneOnly, Field::ExtensionRegister, 0x08},
    {ids::kPaddleMute, Field::ExtensionRegister, 0x02},
    {ids::kFastCmd, Field::ExtensionRegister, 0x40},
    {ids::kSo2r, Field::ExtensionRegister, 0x04},
    {ids::kFaveWpmOff, Field::ExtensionRegister, 0x01},
    {ids::kTune50, Field::AuxRegister, 0x20},
};
// clang-format on

const char* const kKeyerModeNames[6] = {"Iambic A", "Iambic B", "Ultimatic",
                                        "UltimDit", "UltimDah", "VibroBug"};
const char* const kPaddleHangNames[4] = {"1.0 Word", "1.3 Word", "1.6 Word", "2.0 Word"};
const char* const kOutputSelectionNames[8] = {"Port1", "Port1, ST", "Port1, PTT", "Port1, ST, PTT",
                                              "Port2", "Port2, ST", "Port2, PTT", "Port2, ST, PTT"};

namespace {

constexpr std::uint8_t kKeyerModeBits = 0x30;  // modeRegister bits 5-4
constexpr std::uint8_t kVariantBits = 0xC0;    // outputRegister bits 7-6
constexpr std::uint8_t kHangBits = 0x30;       // outputRegister bits 5-4
constexpr std::uint8_t kOutputBits = 0x0F;     // outputRegister bits 3-0

struct KeyerMode {
    std::uint8_t modeBits;
    int variantBits;  // -1: the Ultimatic variant is left as it is
};
constexpr KeyerMode kKeyerModes[] = {
    {0x10, -1}, {0x00, -1}, {0x20, 0x00}, {0x20, 0x80}, {0x20, 0x40}, {0x30, -1},
};
constexpr std::uint8_t kOutputValues[] = {4, 6, 5, 7, 8, 10, 9, 11};

std::uint8_t Replace(std::uint8_t byte, std::uint8_t mask, std::uint8_t bits) {
    return static_cast<std::uint8_t>((byte & ~mask) | (bits & mask));
}

// The pot's three conditions, checked in this order; both ends share the
// row's bounds, and its own message is the maximum's.
std::optional<std::string> PotRefusal(const NumberRow& row, std::uint32_t maxWpm,
                                      std::uint32_t minWpm) {
    if (maxWpm <= minWpm) return "Pot Max must be greater than Pot Min";
    if (minWpm < row.min || minWpm > row.max) return "Pot Min must be between 5 and 99";
    if (maxWpm < row.min || maxWpm > row.max) return std::string(row.message[0]);
    return std::nullopt;
}

}  // namespace

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

std::optional<std::string> Refusal(const NumberRow& row, User user, std::uint32_t value,
                                   std::uint32_t minValue) {
    if (row.convert == Convert::PotRange) return PotRefusal(row, value, minValue);
    if (row.zeroToo && value == 0) return std::nullopt;
    if (value >= row.min && value <= row.max) return std::nullopt;
    return std::string(row.message[user == User::One ? 0 : 1]);
}

void StoreNumber(SettingsImage& image, User user, const NumberRow& row, std::uint32_t value,
                 std::uint32_t minValue) {
    switch (row.convert) {
        case Convert::Plain:
            At(image, user, row.field) = static_cast<std::uint8_t>(value);
            break;
        case Convert::Sidetone:
            At(image, user, row.field) = SidetoneCode(value);
            break;
        case Convert::Serial:
            SetSerialNumber(image, user, value);
            break;
        case Convert::PotRange:
            SetPotRange(image, user, minValue, value);
            break;
        case Convert::LetterSpace:
            SetLetterSpace(image, user, static_cast<std::uint8_t>(value));
            break;
    }
}

std::optional<std::uint32_t> ShownNumber(const SettingsImage& image, User user,
                                         const NumberRow& row) {
    switch (row.convert) {
        case Convert::Sidetone: {
            const std::uint8_t code = At(image, user, row.field);
            if (code == 0) return std::nullopt;
            return SidetoneHz(code);
        }
        case Convert::Serial:
            return SerialNumber(image, user);
        case Convert::PotRange:
            return PotMaxWpm(image, user);
        case Convert::LetterSpace:
            return LetterSpace(image, user);
        case Convert::Plain:
            break;
    }
    return At(image, user, row.field);
}

std::optional<ImageRefusal> CheckImage(const SettingsImage& image) {
    for (User user : {User::One, User::Two}) {
        for (const NumberRow& row : kNumberRows) {
            const std::uint32_t shown = ShownNumber(image, user, row).value_or(0);
            const std::uint32_t minValue =
                row.convert == Convert::PotRange ? At(image, user, Field::PotMinWpm) : 0;
            if (auto text = Refusal(row, user, shown, minValue))
                return ImageRefusal{user, &row, *text};
        }
    }
    return std::nullopt;
}

const OptionBox* FindOptionBox(int control) {
    for (const OptionBox& box : kOptionBoxes)
        if (box.control == control) return &box;
    return nullptr;
}

int KeyerModeIndex(const SettingsImage& image, User user) {
    const std::uint8_t output = At(image, user, Field::OutputRegister);
    switch (At(image, user, Field::ModeRegister) & kKeyerModeBits) {
        case 0x10:
            return 0;
        case 0x00:
            return 1;
        case 0x30:
            return 5;
        default:
            if (output & 0x80) return 3;
            return (output & 0x40) ? 4 : 2;
    }
}

void SetKeyerMode(SettingsImage& image, User user, int index) {
    if (index < 0 || index >= static_cast<int>(std::size(kKeyerModes))) return;
    const KeyerMode& m = kKeyerModes[index];
    std::uint8_t& mode = At(image, user, Field::ModeRegister);
    mode = Replace(mode, kKeyerModeBits, m.modeBits);
    if (m.variantBits < 0) return;
    std::uint8_t& output = At(image, user, Field::OutputRegister);
    output = Replace(output, kVariantBits, static_cast<std::uint8_t>(m.variantBits));
}

int PaddleHangIndex(const SettingsImage& image, User user) {
    return (At(image, user, Field::OutputRegister) & kHangBits) >> 4;
}

void SetPaddleHang(SettingsImage& image, User user, int index) {
    if (index < 0 || index > 3) return;
    std::uint8_t& output = At(image, user, Field::OutputRegister);
    output = Replace(output, kHangBits, static_cast<std::uint8_t>(index << 4));
}

int OutputSelectionIndex(const SettingsImage& image, User user) {
    const std::uint8_t bits = At(image, user, Field::OutputRegister) & kOutputBits;
    for (int i = 0; i < static_cast<int>(std::size(kOutputValues)); ++i)
        if (kOutputValues[i] == bits) return i;
    return 0;
}

void SetOutputSelection(SettingsImage& image, User user, int index) {
    const bool listed = index >= 0 && index < static_cast<int>(std::size(kOutputValues));
    std::uint8_t& output = At(image, user, Field::OutputRegister);
    output = Replace(output, kOutputBits, listed ? kOutputValues[index] : 0);
}

}  // namespace zt
