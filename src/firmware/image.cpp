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

// A failed load: its code, and where and why when the caller asked.
int Failed(LoadFault* fault, int code, int line, std::string reason) {
    if (fault) *fault = {line, std::move(reason)};
    return code;
}

std::string TypeText(int type) {
    const char digits[] = "0123456789ABCDEF";
    return std::string("record type ") + digits[type >> 4 & 15] + digits[type & 15];
}

int ReadRecords(std::istream& in, FirmwareImage& image, const LoadProgress& progress,
                LoadFault* fault) {
    auto show = [&](int position) {
        if (progress) progress(position);
    };
    std::uint16_t extended = 0;  // word address added to every data record's own
    int records = 0, lastSlot = 0, number = 0;
    std::string line;
    for (;;) {
        show(lastSlot);
        LineRead read = ReadLine(in, line);
        if (read == LineRead::End)
            return Failed(
                fault, kLoadNoEnd, 0,
                number ? "no end record after line " + std::to_string(number) : "an empty file");
        ++number;
        if (read == LineRead::TooLong)
            return Failed(fault, kLoadBadLine, number,
                          "longer than " + std::to_string(kMaxHexLine) + " characters");
        const char* why = nullptr;
        std::optional<HexRecord> r = ParseHexLine(line, &why);
        if (!r) return Failed(fault, kLoadBadLine, number, why);
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
                if (r->data.size() < 2)
                    return Failed(fault, kLoadBadLine, number, "an address record too short");
                extended = static_cast<std::uint16_t>((r->data[1] & 1) << 15);
                break;
            case kEndOfFile:
                return records;
            case kExtendedSegment:
                break;
            default:
                return Failed(fault, kLoadBadType, number, "unknown " + TypeText(r->type));
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

std::optional<HexRecord> ParseHexLine(std::string_view line, const char** why) {
    auto refuse = [why](const char* reason) {
        if (why) *why = reason;
        return std::nullopt;
    };
    if (line.empty()) return refuse("an empty line");
    if (line[0] != ':') return refuse("not a record");
    if (line.size() < kShortestRecord) return refuse("too short for a record");
    const int count = HexByte(line, 1);
    if (count < 0) return refuse("not a hex digit");
    if (line.size() < 2 * static_cast<std::size_t>(count) + kShortestRecord)
        return refuse("shorter than its byte count");
    // Count, address high, address low, type, the data, then the checksum.
    std::vector<std::uint8_t> bytes;
    int sum = 0;
    for (int i = 0; i < count + 5; ++i) {
        const int b = HexByte(line, 1 + 2 * static_cast<std::size_t>(i));
        if (b < 0) return refuse("not a hex digit");
        bytes.push_back(static_cast<std::uint8_t>(b));
        sum += b;
    }
    if (sum % 256 != 0) return refuse("checksum");
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

std::string LoadFaultText(const LoadFault& fault) {
    return fault.line > 0 ? "line " + std::to_string(fault.line) + ": " + fault.reason
                          : fault.reason;
}

int LoadImage(std::istream& in, FirmwareImage& image, const LoadProgress& progress,
              LoadFault* fault) {
    BlankImage(image);
    return ReadRecords(in, image, progress, fault);
}

int LoadImageFile(const std::string& path, FirmwareImage& image, const LoadProgress& progress,
                  LoadFault* fault) {
    BlankImage(image);  // a failed load leaves no trace of the one before
    if (path.empty()) return kLoadNoName;
    FileStream in(path);  // a regular file only: a named pipe would never end
    if (!in.IsOpen()) return kLoadCannotOpen;
    return ReadRecords(in, image, progress, fault);
}

}  // namespace zt
