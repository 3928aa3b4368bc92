#pragma once
// The firmware image: the keyer's program memory as 1024 slots of eight
// words, filled from an Intel HEX file (the "bin" files the keyer's firmware
// comes in) and sent to the boot loader slot by slot, exactly as stored.

#include <array>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zt {

constexpr int kImageSlots = 1024;  // word addresses 0..8191
constexpr int kSlotWords = 8;
constexpr int kSlotBytes = 16;  // each word low byte first; a blank word is FF 3F

// One frame's worth of program memory, laid out as it goes on the wire.
struct ImageSlot {
    std::uint8_t addressHigh = 0;  // word address of data[0] (8k for slot k), high byte first
    std::uint8_t addressLow = 0;
    std::array<std::uint8_t, kSlotBytes> data{};
};
static_assert(sizeof(ImageSlot) == 18);

using FirmwareImage = std::array<ImageSlot, kImageSlots>;

// Every slot k at word address 8k, all words blank.
void BlankImage(FirmwareImage& image);

// Load results: the number of data records (0 or more), or one of these.
constexpr int kLoadNoName = -1;      // the path is empty
constexpr int kLoadCannotOpen = -2;  // the file cannot be opened for reading
constexpr int kLoadNoEnd = -3;       // the file ended, or reading failed, before the end record
constexpr int kLoadBadLine = -4;     // a line that is not a valid record
constexpr int kLoadBadType = -5;     // a record type other than 00, 01, 02 and 04

// The uploader's line after a load that gave no records, whatever the cause.
extern const char* const kLoadFailedText;  // "File Error"
// What a load result of 0 or less means: "File Error: the file cannot be
// opened", or for a file without data records "Error: Zero Length File !".
std::string LoadFailureText(int result);

// Where and why a load failed: the line, counted from 1 (0 when no one line
// is to blame), and the reason in a few words: "checksum", "not a record".
struct LoadFault {
    int line = 0;
    std::string reason;
};
// "line 12: checksum", or the reason alone.
std::string LoadFaultText(const LoadFault& fault);

// A line longer than this cannot be a record (the longest is 521); it is refused.
constexpr std::size_t kMaxHexLine = 999;

struct HexRecord {
    int type = 0;
    std::uint16_t address = 0;
    std::vector<std::uint8_t> data;  // at most 255 bytes
};

// One line without its line end: ":", count, address, type, data, checksum,
// in hex digits of either case; anything after the checksum is ignored.
// Nothing when the line is not a record or its checksum does not add up;
// then why, when asked.
std::optional<HexRecord> ParseHexLine(std::string_view line, const char** why = nullptr);

// Told the progress bar's position (0..100 shows; more shows it full) as the load goes.
using LoadProgress = std::function<void(int)>;

// Blanks the image, then stores the records up to the end record, each data
// byte at its own address, whatever the records' lengths and alignment; where
// records overlap the later one wins. Slot k keeps word address 8k. Data that
// lies beyond program memory (word 8192 and up, which is where the chip's
// configuration and EEPROM records sit) is left out. A failure of the
// records' own says where and why in fault, when given.
int LoadImage(std::istream& in, FirmwareImage& image, const LoadProgress& progress = {},
              LoadFault* fault = nullptr);
// The same from a file, with the path's own failure codes. Paths of any length.
int LoadImageFile(const std::string& path, FirmwareImage& image, const LoadProgress& progress = {},
                  LoadFault* fault = nullptr);

}  // namespace zt
