#include "firmware/image.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>

#include "firmware/identify.h"
#include "hex_records.h"
#include "support/temp_dir.h"

namespace zt {
namespace {

using Bytes = std::vector<std::uint8_t>;

using testing::Record;
const std::string kEnd = testing::kEndRecord;

Bytes Counting(int n, int from = 0) {
    Bytes b;
    for (int i = 0; i < n; ++i) b.push_back(static_cast<std::uint8_t>(from + i));
    return b;
}

struct Loaded {
    int result;
    FirmwareImage image;
    LoadFault fault;
};
Loaded Load(const std::vector<std::string>& lines, const char* eol = "\n") {
    std::string text;
    for (const std::string& l : lines) text += l + eol;
    std::istringstream in(text);
    Loaded l;
    l.result = LoadImage(in, l.image, {}, &l.fault);
    return l;
}

ImageSlot Slot(int word, const Bytes& data) {
    ImageSlot s;
    s.addressHigh = static_cast<std::uint8_t>(word >> 8);
    s.addressLow = static_cast<std::uint8_t>(word);
    for (int i = 0; i < kSlotBytes; i += 2) s.data[i] = 0xFF, s.data[i + 1] = 0x3F;
    std::copy(data.begin(), data.end(), s.data.begin());
    return s;
}

bool operator==(const ImageSlot& a, const ImageSlot& b) {
    return a.addressHigh == b.addressHigh && a.addressLow == b.addressLow && a.data == b.data;
}

// Program memory as the records describe it, worked out on its own: every
// data byte at its byte address (the extended address counts in 64 KiB),
// low byte of a word first, the later record winning; blank elsewhere.
using Words = std::array<std::uint16_t, kImageSlots * kSlotWords>;
struct Placed {
    std::uint32_t base;  // 0 or 0x10000, from an extended linear address
    int address;
    Bytes data;
};
Words Memory(const std::vector<Placed>& records) {
    Words words;
    words.fill(0x3FFF);
    for (const Placed& r : records) {
        for (std::size_t i = 0; i < r.data.size(); ++i) {
            const std::uint32_t at = r.base + static_cast<std::uint32_t>(r.address) + i;
            if (at / 2 >= words.size()) continue;
            std::uint16_t& w = words[at / 2];
            w = at % 2 ? static_cast<std::uint16_t>((w & 0x00FF) | r.data[i] << 8)
                       : static_cast<std::uint16_t>((w & 0xFF00) | r.data[i]);
        }
    }
    return words;
}
std::string Lines(const std::vector<Placed>& records) {
    std::string text;
    std::uint32_t base = 0;
    for (const Placed& r : records) {
        if (r.base != base)
            text += Record(4, 0, {0, static_cast<std::uint8_t>(r.base >> 16)}) + "\n";
        base = r.base;
        text += Record(0, r.address, r.data) + "\n";
    }
    return text + kEnd + "\n";
}
// Every slot k at word 8k, holding the eight words memory holds there.
void ExpectImageHolds(const FirmwareImage& image, const Words& words) {
    for (int k = 0; k < kImageSlots; ++k) {
        ASSERT_EQ(image[k].addressHigh << 8 | image[k].addressLow, k * kSlotWords) << "slot " << k;
        for (int i = 0; i < kSlotWords; ++i)
            ASSERT_EQ(image[k].data[2 * i] | image[k].data[2 * i + 1] << 8,
                      words[k * kSlotWords + i])
                << "word " << k * kSlotWords + i;
    }
}

TEST(HexLoader, EveryByteLandsAtItsOwnAddress) {
    const std::string blankWords = ":10004000FF3FFF3FFF3FFF3FFF3FFF3FFF3FFF3FC0";
    Loaded l = Load({blankWords, kEnd});
    EXPECT_EQ(l.result, 1);
    EXPECT_TRUE(l.image[4] == Slot(0x20, {}));

    const std::vector<Placed> records = {
        {0, 0x0000, {0, 0, 0, 0, 0, 0, 31, 5}},  // identification in word 3
        {0, 0x0226, Counting(32, 0x40)},         // word 0x113: into three slots
        {0, 0x0066, Counting(16)},               // word 0x33: spills into the next slot
        {0, 0x0070, Counting(16, 100)},          // slot 7, partly overwritten by the above
        {0, 0x0074, {9, 9}},                     // later wins, word by word
        {0, 0x0050, {1, 2, 3, 4}},               // short, below what came before
        {0, 0x0093, {0xA1, 0xA2, 0xA3}},         // odd: starts on the high byte of word 0x49
        {0, 0x00A0, {}},                         // no bytes: changes nothing
        {0, 0x0080, Counting(40, 50)},           // longer than a slot
        {0, 2 * 8186, Counting(32)},             // runs off the end of program memory
        {0, 0x400E, {0x3A, 0x3F}},               // configuration word: not ours
        {0x10000, 0x0000, {7}},                  // word 32768 and up
        {0, 0x0010, {8}},                        // even: back to 0
    };
    std::string text = Lines(records);
    text.insert(text.find('\n') + 1, Record(2, 0x0000, {0x10, 0x00}) + "\r\n");  // ignored
    std::istringstream in(text + "garbage after the end is never read\n");
    FirmwareImage image;
    EXPECT_EQ(LoadImage(in, image), static_cast<int>(records.size()));
    ExpectImageHolds(image, Memory(records));
    EXPECT_EQ(image[0x120 / kSlotWords].data[0], 0x40 + 26);  // word 0x120, in the third slot
}

// Many images of records at random places and lengths, in random order.
TEST(HexLoader, RandomRecordsBuildTheSameMemory) {
    std::mt19937 random(15);
    for (int round = 0; round < 20; ++round) {
        std::vector<Placed> records;
        for (int n = 0; n < 60; ++n) {
            Placed r{random() % 8 == 0 ? 0x10000u : 0u, static_cast<int>(random() % 0x4100), {}};
            r.data.resize(random() % 70);
            for (std::uint8_t& b : r.data) b = static_cast<std::uint8_t>(random());
            records.push_back(r);
        }
        std::istringstream in(Lines(records));
        FirmwareImage image;
        ASSERT_EQ(LoadImage(in, image), 60);
        ExpectImageHolds(image, Memory(records));
    }
}

TEST(HexLoader, ResultCodes) {
    const std::string data = Record(0, 0, {1, 2});
    // Each failure says on which line and why.
    struct Case {
        std::vector<std::string> lines;
        int result;
        std::string fault;
    } cases[] = {
        {{kEnd, data}, 0, ""},
        {{data, "", kEnd}, kLoadBadLine, "line 2: an empty line"},
        {{data, data.substr(1), kEnd}, kLoadBadLine, "line 2: not a record"},
        {{":02000000", kEnd}, kLoadBadLine, "line 1: too short for a record"},
        {{":0200000001020A", kEnd}, kLoadBadLine, "line 1: checksum"},  // off by one
        {{":0400000001020A", kEnd}, kLoadBadLine, "line 1: shorter than its byte count"},
        {{":02000000010G1B", kEnd}, kLoadBadLine, "line 1: not a hex digit"},
        {{"::2000000010201", kEnd}, kLoadBadLine, "line 1: not a hex digit"},  // in the count
        {{data, data, Record(4, 0, {0}), kEnd},
         kLoadBadLine,
         "line 3: an address record too short"},  // no second byte to take
        {{data + std::string(kMaxHexLine - data.size(), 'x'), kEnd}, 1, ""},  // the tail is ignored
        {{data + std::string(kMaxHexLine + 1 - data.size(), 'x'), kEnd},
         kLoadBadLine,
         "line 1: longer than 999 characters"},
        {{data, data}, kLoadNoEnd, "no end record after line 2"},
        {{}, kLoadNoEnd, "an empty file"},
        {{data, Record(3, 0, {0, 0, 0, 0})}, kLoadBadType, "line 2: unknown record type 03"},
        {{data, Record(0xA5, 0, {0, 0, 0, 0})}, kLoadBadType, "line 2: unknown record type A5"},
    };
    for (const Case& c : cases) {
        Loaded l = Load(c.lines);
        EXPECT_EQ(l.result, c.result) << (c.lines.empty() ? "" : c.lines[0]);
        EXPECT_EQ(c.result > 0 ? "" : LoadFaultText(l.fault), c.fault)
            << (c.lines.empty() ? "" : c.lines[0]);
    }
    EXPECT_EQ(ParseHexLine(":0300300002337a1e")->data, (Bytes{0x02, 0x33, 0x7A}));  // lower case

    // Each failure has a text of its own, which the uploader's line shortens
    // to "File Error".
    std::set<std::string> texts;
    for (int code : {kLoadNoName, kLoadCannotOpen, kLoadNoEnd, kLoadBadLine, kLoadBadType}) {
        const std::string text = LoadFailureText(code);
        EXPECT_EQ(text.rfind(std::string(kLoadFailedText) + ": the file ", 0), 0u) << text;
        texts.insert(text);
    }
    EXPECT_EQ(texts.size(), 5u);
    EXPECT_EQ(LoadFailureText(kLoadBadLine),
              "File Error: the file holds a line that is not a record");
    EXPECT_EQ(LoadFailureText(0), "Error: Zero Length File !");
}

TEST(HexLoader, FilesAndWhatAFailureLeaves) {
    FirmwareImage image;
    EXPECT_EQ(LoadImageFile("", image), kLoadNoName);
    EXPECT_EQ(LoadImageFile("/nonexistent/zt.bin", image), kLoadCannotOpen);
    testing::TempDir folder;  // not a file, so it cannot be opened as one
    EXPECT_EQ(LoadImageFile(folder.path(), image), kLoadCannotOpen);

    // Far past the 128 characters the original platform's name buffer held.
    testing::TempDir dir;
    const std::filesystem::path deep =
        std::filesystem::path(dir.path()) / std::string(150, 'd') / "image.bin";
    std::filesystem::create_directories(deep.parent_path());
    std::ofstream(deep) << Record(0, 0x40, Counting(16)) << "\n" << kEnd << "\n";
    EXPECT_EQ(LoadImageFile(deep.string(), image), 1);
    EXPECT_TRUE(image[4] == Slot(0x20, Counting(16)));

    // A failed load has blanked what the last one stored.
    std::ofstream(deep) << Record(0, 0x50, {5}) << "\n:bad\n" << kEnd << "\n";
    EXPECT_EQ(LoadImageFile(deep.string(), image), kLoadBadLine);
    EXPECT_TRUE(image[4] == Slot(0x20, {}));
    EXPECT_TRUE(image[5] == Slot(0x28, {5}));
}

TEST(ImageIdentity, LoadedTexts) {
    struct Case {
        std::uint8_t byte6, byte7;
        const char* text;
    } cases[] = {
        {31, 103, "ZT AF Version: 31.03 Loaded, 950 Records"},
        {103, 31, "ZT AF Version: 31.03 Loaded, 950 Records"},  // exchanged at 100
        {31, 48, "ZT DIP Version: 31.00 Loaded, 950 Records"},  // 48 is read as 50
        {31, 50, "ZT SMT Version: 31.48 Loaded, 950 Records"},  // and 50 as 48
        {30, 199, "ZT MINI Version: 30.49 Loaded, 950 Records"},
        {0xFF, 0x3F, "Unknown ZT Image Loaded, 950 Records"},  // blank slot 0: 63 and 255
    };
    for (const Case& c : cases) {
        ImageSlot slot0 = Slot(0, {});
        slot0.data[6] = c.byte6;
        slot0.data[7] = c.byte7;
        EXPECT_EQ(LoadedText(IdentifyImage(slot0), 950), c.text) << int(c.byte6);
    }
}

TEST(ImageIdentity, EveryCellOfTheKeyerCheck) {
    const char* refusals[4][4] = {
        {nullptr, "Error: Attempting to program an SMT ZT with a DIP image !",
         "Error: Attempting to program an SMT ZT with a AF image !",
         "Error: Attempting to program an SMT ZT with a MINI image !"},
        {"Error: Attempting to program a DIP ZT with an SMT image !", nullptr,
         "Error: Attempting to program a DIP ZT with a AF image !",
         "Error: Attempting to program a DIP ZT with a MINI image !"},
        {"Error: Attempting to program a ZT AF with an SMT image !",
         "Error: Attempting to program a ZT AF with a DIP image !", nullptr,
         "Error: Attempting to program a ZT AF with a MINI image !"},
        {"Error: Attempting to program a MINI ZT with an SMT image !",
         "Error: Attempting to program a MINI ZT with a DIP image !",
         "Error: Attempting to program a MINI ZT with a AF image !", nullptr},
    };
    // Each column at both of its ends; 200 and up goes with the MINI.
    const int families[4][2] = {{0, 49}, {50, 99}, {100, 149}, {150, 255}};
    for (int keyer = 0; keyer < 4; ++keyer) {
        for (int image = 0; image < 4; ++image) {
            for (int family : families[image]) {
                ImageCheck c = CheckImageForKeyer(keyer + 1, family);
                EXPECT_EQ(c.refusal, refusals[keyer][image] ? refusals[keyer][image] : "")
                    << keyer + 1 << " " << family;
                EXPECT_FALSE(c.recovery);
                ImageCheck recovery = CheckImageForKeyer(5, family);
                EXPECT_TRUE(recovery.refusal.empty() && recovery.recovery) << family;
                for (int unknown : {0, 6, 255})
                    EXPECT_EQ(CheckImageForKeyer(unknown, family).refusal,
                              "Error: Unknown Keyer IC Version !");
            }
        }
    }
}

}  // namespace
}  // namespace zt
