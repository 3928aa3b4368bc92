#include "link/commands.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "link/keyer_pty.h"

namespace zt::testing {
namespace {

class CommandsTest : public LinkTest {
  protected:
    void SetUp() override {
        LinkTest::SetUp();
        ASSERT_EQ(port.Open(kPtyCom), PortOpen::Ok);
        for (int i = 0; i < kSettingsImageSize; ++i)
            image[i] = static_cast<std::uint8_t>(i * 7 + 3);
        old = image;
    }
    Bytes Image(int from, int to) const { return Bytes(image.begin() + from, image.begin() + to); }
    Bytes Old(int from, int to) const { return Bytes(old.begin() + from, old.begin() + to); }

    SettingsImage image;
    SettingsImage old;
};

// Each sends its frame; a reply of 0 is a reading, and one that does not
// come is none.
TEST_F(CommandsTest, OneByteQueriesSendTheirFrameAndReturnTheReplyIfItCame) {
    struct Case {
        Reading (*query)(Port&);
        Bytes frame;
    };
    const Case cases[] = {{SendEchoTest, {0x00, 0x04, 0x55}}, {QueryFirmwareMajor, {0x00, 0x09}},
                          {QueryFirmwareMinor, {0x00, 0x17}}, {GetChipVariant, {0x00, 0x18}},
                          {GetPotValue, {0x00, 0x06}},        {GetPushbuttonValue, {0x00, 0x05}},
                          {GetSupplyReading, {0x00, 0x15}}};
    std::uint8_t reply = 0x80;
    for (const Case& c : cases) {
        line.Send({++reply});
        EXPECT_EQ(c.query(port), reply);
        EXPECT_EQ(line.Take(c.frame.size()), c.frame);
        line.Send({0});
        EXPECT_EQ(c.query(port), std::uint8_t{0});
        line.Take(c.frame.size());
    }
    EXPECT_FALSE(GetPotValue(port));  // silent keyer
    EXPECT_FALSE(SendEchoTest(port));
}

TEST_F(CommandsTest, WritesPutExactlyTheirFrameAndBlockOnTheLine) {
    EXPECT_TRUE(LoadSettings(port, image));
    Bytes expected = {0x00, 0x0D};
    Bytes block = Old(0, 288);
    expected.insert(expected.end(), block.begin(), block.end());
    EXPECT_EQ(line.Take(290), expected);

    EXPECT_TRUE(WriteExtension(port, image));
    expected = {0x00, 0x1B};
    block = Old(288, 300);
    expected.insert(expected.end(), block.begin(), block.end());
    EXPECT_EQ(line.Take(14), expected);

    EXPECT_TRUE(EnterBootLoader(port));
    EXPECT_EQ(line.Take(3), Bytes({0x00, 0x10, 0x9B}));
    EXPECT_EQ(image, old);
}

TEST_F(CommandsTest, DumpSettingsKeepsOldBytesWhereTheReplyFellShort) {
    Bytes arrived(100, 0x5A);
    line.Send(arrived);
    EXPECT_FALSE(DumpSettings(port, image));
    EXPECT_EQ(line.Take(2), Bytes({0x00, 0x0C}));
    port.Close();
    EXPECT_EQ(Image(0, 100), arrived);
    EXPECT_EQ(Image(100, 300), Old(100, 300));
}

TEST_F(CommandsTest, ReadExtensionWithoutReplyLeavesTheImage) {
    EXPECT_FALSE(ReadExtension(port, image));
    EXPECT_EQ(line.Take(2), Bytes({0x00, 0x1A}));
    port.Close();
    EXPECT_EQ(image, old);
}

TEST_F(CommandsTest, ReadExtensionStoresJustTheBytesThatArrived) {
    Bytes full = {11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22};
    line.Send(full);
    EXPECT_TRUE(ReadExtension(port, image));
    EXPECT_EQ(Image(288, 300), full);

    line.Send({1, 2, 3, 4, 5});
    EXPECT_FALSE(ReadExtension(port, image));
    port.Close();
    EXPECT_EQ(Image(288, 300), Bytes({1, 2, 3, 4, 5, 16, 17, 18, 19, 20, 21, 22}));
    EXPECT_EQ(Image(0, 288), Old(0, 288));
}

TEST(SupplyVoltsTest, ConvertsTheReadingToVolts) {
    char text[16];
    std::snprintf(text, sizeof text, "%.2f", SupplyVolts(52));
    EXPECT_STREQ(text, "5.04");
    std::snprintf(text, sizeof text, "%.2f", SupplyVolts(80));
    EXPECT_STREQ(text, "3.28");
}

}  // namespace
}  // namespace zt::testing
