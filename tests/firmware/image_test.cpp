#include "firmware/image.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
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
};
Loaded Load(const std::vector<std::string>& lines, const char* eol = "\n") {
    std::string text;
    for (const std::string& l : lines) text += l + eol;
    std::istringstream in(text);
    Loaded l;
    l.result = LoadImage(in, l.image);
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

TEST(HexLoader, RecordsLandByteForByte) {
    const std::string blankWords = ":10004000FF3FFF3FFF3FFF3FFF3FFF3FFF3FFF3FC0";
    Loaded l = Load({blankWords, kEnd});
    EXPECT_EQ(l.result, 1);
    EXPECT_TRUE(l.image[4] == Slot(0x20, {}));

    l = Load({Record(0, 0x0050, {1, 2, 3, 4}),                     // short: slot 5 from its start
              Record(0, 0x0066, Counting(16)),                     // word 0x33: slot 6, own address
              Record(0, 0x0070, Counting(16, 100)),                // slot 7
              Record(0, 0x0074, {9, 9}),                           // later wins from the start
              Record(2, 0x0000, {0x10, 0x00}),                     // segment: ignored
              Record(0, 0x0080, Counting(32, 50)),                 // one slot's worth each
              Record(0, 2 * 8184, Counting(32)),                   // the second half is off the end
              Record(0, 0x400E, {0x3A, 0x3F}),                     // configuration word: not ours
              Record(4, 0x0000, {0x00, 0x01}), Record(0, 0, {7}),  // word 32768 and up
              Record(4, 0x0000, {0x00, 0x02}), Record(0, 0x0010, {8}),  // even: back to 0
              kEnd, "garbage after the end is never read"},
             "\r\n");
    EXPECT_EQ(l.result, 9);
    FirmwareImage expected;
    BlankImage(expected);
    expected[5] = Slot(0x28, {1, 2, 3, 4});
    expected[6] = Slot(0x33, Counting(16));
    expected[7] = Slot(
        0x3A, Bytes{9, 9, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111, 112, 113, 114, 115});
    expected[8] = Slot(0x40, Counting(16, 50));
    expected[9] = Slot(0x48, Counting(16, 66));
    expected[1023] = Slot(8184, Counting(16));
    expected[1] = Slot(0x08, {8});
    for (int k = 0; k < kImageSlots; ++k) EXPECT_TRUE(l.image[k] == expected[k]) << "slot " << k;
}

TEST(HexLoader, ResultCodes) {
    const std::string data = Record(0, 0, {1, 2});
    struct Case {
        std::vector<std::string> lines;
        int result;
    } cases[] = {
        {{kEnd, data}, 0},
        {{data, "", kEnd}, kLoadBadLine},
        {{data, data.substr(1), kEnd}, kLoadBadLine},                     // no colon
        {{":0200000001020A", kEnd}, kLoadBadLine},                        // checksum off by one
        {{":0400000001020A", kEnd}, kLoadBadLine},                        // shorter than its count
        {{":02000000010G1B", kEnd}, kLoadBadLine},                        // not a hex digit
        {{Record(4, 0, {0}), kEnd}, kLoadBadLine},                        // no second byte to take
        {{data + std::string(kMaxHexLine - data.size(), 'x'), kEnd}, 1},  // the tail is ignored
        {{data + std::string(kMaxHexLine + 1 - data.size(), 'x'), kEnd}, kLoadBadLine},
        {{data}, kLoadNoEnd},
        {{}, kLoadNoEnd},
        {{data, Record(3, 0, {0, 0, 0, 0})}, kLoadBadType},
        {{data, Record(5, 0, {0, 0, 0, 0})}, kLoadBadType},
    };
    for (const Case& c : cases) {
        Loaded l = Load(c.lines);
        EXPECT_EQ(l.result, c.result) << (c.lines.empty() ? "" : c.lines[0]);
    }
    EXPECT_EQ(ParseHexLine(":0300300002337a1e")->data, (Bytes{0x02, 0x33, 0x7A}));  // lower case
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
