#include "firmware/image.h"

#include <algorithm>
#include <istream>

#include "system/files.h"

namespace zt {

namespace {

// Intel HEX record types.
constexpr int kData = 0x00;
constexpr int kEndOfFile = 0x01;
constexpr int kExtendedSegment = 0x02;  // 8086 segments; means nothing to this chip
constexpr int kExtendedLinear = 0x04;

constexpr std::size_t kShortestRecord = 11;  // ":LLAAAATTCC"
constexpr std::uint8_t kBlankLow = 0xFF, kBlankHigh = 0x3F;

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The byte written as two hex digits at line[at], or -1.
int HexByte(std::string_view line, std::size_t at) {
    int high = HexDigit(line[at]), low = HexDigit(line[at + 1]);
    return high < 0 || low < 0 ? -1 : high << 4 | low;
}

void SetAddress(ImageSlot& slot, int word) {
    slot.addressHigh = static_cast<std::uint8_t>(word >> 8);
    slot.addressLow = static_cast<std::uint8_t>(word);
}

// Every data byte goes to its own byte address: word address / 2, the low
// byte of the word at an even address and the high byte at an odd one. A
// slot's address never changes, so each frame carries the eight words memory
// holds there, wherever the records began and however long they were; a later
// record overwrites only the bytes it carries.
void StoreData(FirmwareImage& image, std::uint32_t byteAddress,
               const std::vector<std::uint8_t>& data) {
    for (std::uint8_t b : data) {
        const std::uint32_t slot = byteAddress / kSlotBytes;
        if (slot >= static_cast<std::uint32_t>(kImageSlots)) return;  // beyond program memory
        image[slot].data[byteAddress % kSlotBytes] = b;
        ++byteAddress;
    }
}

enum class LineRead { Line, TooLong, End };

// One line without its line end (LF, or CR LF). End when nothing is left or
// the file cannot be read; TooLong stops reading at the limit.
LineRead ReadLine(std::istream& in, std::string& line) {
    line.clear();
    bool any = false;
    for (int c; (c = in.get()) != std::char_traits<char>::eof();) {
        any = true;
        if (c == '\n') break;
        if (line.size() == kMaxHexLine) return LineRead::TooLong;
        line.push_back(static_cast<char>(c));
    }
    if (!any) return LineRead::End;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return LineRead::Line;
}

int ReadRecords(std::istream& in, FirmwareImage& image, const LoadProgress& progress) {
    auto show = [&](int position) {
        if (progress) progress(position);
    };
    std::uint16_t extended = 0;  // word address added to every data record's own
    int records = 0, lastSlot = 0;
    std::string line;
    for (;;) {
        show(lastSlot);
        LineRead read = ReadLine(in, line);
        if (read == LineRead::End) return kLoadNoEnd;
        std::optional<HexRecord> r;
        if (read == LineRead::Line) r = ParseHexLine(line);
        if (!r) return kLoadBadLine;
        switch (r->type) {
            case kData: {
                const std::uint32_t byteAddress = 2u * extended + r->address;
                StoreData(image, byteAddress, r->data);
                lastSlot = static_cast<int>(byteAddress / kSlotBytes);
                show(++records / 4);
                break;
            }
            case kExtendedLinear:
                // Byte address bit 16 is word address bit 15; higher bits fall off.
                if (r->data.size() < 2) return kLoadBadLine;
                extended = static_cast<std::uint16_t>((r->data[1] & 1) << 15);
                break;
            case kEndOfFile:
                return records;
            case kExtendedSegment:
                break;
            default:
                return kLoadBadType;
        }
    }
}

}  // namespace

void BlankImage(FirmwareImage& image) {
    for (int k = 0; k < kImageSlots; ++k) {
        SetAddress(image[k], k * kSlotWords);
        for (int b = 0; b < kSlotBytes; b += 2) {
            image[k].data[b] = kBlankLow;
            image[k].data[b + 1] = kBlankHigh;
        }
    }
}

std::optional<HexRecord> ParseHexLine(std::string_view line) {
    if (line.size() < kShortestRecord || line[0] != ':') return std::nullopt;
    const int count = HexByte(line, 1);
    if (count < 0 || line.size() < 2 * static_cast<std::size_t>(count) + kShortestRecord)
        return std::nullopt;
    // Count, address high, address low, type, the data, then the checksum.
    std::vector<std::uint8_t> bytes;
    int sum = 0;
    for (int i = 0; i < count + 5; ++i) {
        const int b = HexByte(line, 1 + 2 * static_cast<std::size_t>(i));
        if (b < 0) return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(b));
        sum += b;
    }
    if (sum % 256 != 0) return std::nullopt;
    HexRecord r;
    r.address = static_cast<std::uint16_t>(bytes[1] << 8 | bytes[2]);
    r.type = bytes[3];
    r.data.assign(bytes.begin() + 4, bytes.end() - 1);
    return r;
}

const char* const kLoadFailedText = "File Error";

std::string LoadFailureText(int result) {
    struct Row {
        int result;
        const char* what;
    };
    static constexpr Row kRows[] = {
        {kLoadNoName, "has no name"},
        {kLoadCannotOpen, "cannot be opened"},
        {kLoadNoEnd, "ends before its end record"},
        {kLoadBadLine, "holds a line that is not a record"},
        {kLoadBadType, "holds a record of an unknown type"},
    };
    if (result == 0) return "Error: Zero Length File !";
    for (const Row& r : kRows)
        if (r.result == result) return std::string(kLoadFailedText) + ": the file " + r.what;
    return kLoadFailedText;
}

int LoadImage(std::istream& in, FirmwareImage& image, const LoadProgress& progress) {
    BlankImage(image);
    return ReadRecords(in, image, progress);
}

int LoadImageFile(const std::string& path, FirmwareImage& image, const LoadProgress& progress) {
    BlankImage(image);  // a failed load leaves no trace of the one before
    if (path.empty()) return kLoadNoName;
    FileStream in(path);  // a regular file only: a named pipe would never end
    if (!in.IsOpen()) return kLoadCannotOpen;
    return ReadRecords(in, image, progress);
}

}  // namespace zt
