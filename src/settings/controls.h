#pragma once
// How the settings editor's controls map onto the image: the number edits
// with their bounds and messages in the order they are checked, the option
// check boxes, and the bit tables of the three lists. Window-free, so a
// command-line tool validates with the same rules and texts.

#include <cstdint>
#include <optional>
#include <string>

#include "settings/image.h"

namespace zt {

enum class Convert : std::uint8_t { Plain, Sidetone, Serial, PotRange, LetterSpace };

struct NumberRow {
    int control;     // PotRange: the MaxWpm edit
    int minControl;  // PotRange: the MinWpm edit; otherwise 0
    Field field;
    Convert convert;
    std::uint32_t min, max;
    bool zeroToo;            // 0 is accepted beside min..max
    const char* message[2];  // shown for User 1, for User 2
};
constexpr int kNumberRowCount = 15;
extern const NumberRow kNumberRows[kNumberRowCount];

// Farnsworth speeds above this are refused; both of its messages name 90.
constexpr std::uint32_t kFarnsworthMax = 90;

// An edit's text as an unsigned decimal number; anything else, and numbers
// that do not fit 32 bits, read as 0.
std::uint32_t ParseEditNumber(const std::string& text);

// Why the entered value cannot be stored, or nothing when it can. A PotRange
// row takes the maximum as value and the minimum as minValue.
std::optional<std::string> Refusal(const NumberRow& row, User user, std::uint32_t value,
                                   std::uint32_t minValue = 0);
// Stores a value that Refusal accepted.
void StoreNumber(SettingsImage& image, User user, const NumberRow& row, std::uint32_t value,
                 std::uint32_t minValue = 0);
// What the row's edit shows; nothing for a sidetone code of 0, which keeps the
// edit's text. A PotRange row gives the maximum (its minimum: the field).
std::optional<std::uint32_t> ShownNumber(const SettingsImage& image, User user,
                                         const NumberRow& row);

// The first value of an image that the editor would refuse, checking User 1's
// rows, then User 2's, in the editor's order; nothing when all pass. A
// sidetone code of 0 has no frequency and is refused as one.
struct ImageRefusal {
    User user;
    const NumberRow* row;
    std::string text;
};
std::optional<ImageRefusal> CheckImage(const SettingsImage& image);

struct OptionBox {
    int control;
    Field field;
    std::uint8_t bit;
};
constexpr int kOptionBoxCount = 12;
extern const OptionBox kOptionBoxes[kOptionBoxCount];
const OptionBox* FindOptionBox(int control);

// The three lists' entries, by index.
extern const char* const kKeyerModeNames[6];
extern const char* const kPaddleHangNames[4];
extern const char* const kOutputSelectionNames[8];

// "Iambic A" "Iambic B" "Ultimatic" "UltimDit" "UltimDah" "VibroBug"
int KeyerModeIndex(const SettingsImage& image, User user);
void SetKeyerMode(SettingsImage& image, User user, int index);  // outside 0..5: nothing
// "1.0 Word" .. "2.0 Word"
int PaddleHangIndex(const SettingsImage& image, User user);
void SetPaddleHang(SettingsImage& image, User user, int index);  // outside 0..3: nothing
// "Port1" "Port1, ST" "Port1, PTT" "Port1, ST, PTT" "Port2" ...; values without
// an entry show as "Port1" (index 0).
int OutputSelectionIndex(const SettingsImage& image, User user);
// Outside 0..7 (no selection) the bits are cleared: no output is chosen.
void SetOutputSelection(SettingsImage& image, User user, int index);

}  // namespace zt
