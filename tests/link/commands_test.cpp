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
        ASSERT_EQ(port.Open(kPtyCom), kPortOk);
        for (int i = 0; i < kSettingsImageSize; ++i)
            appState.image[i] = static_cast<std::uint8_t>(i * 7 + 3);
        old = appState.image;
    }
    Bytes Image(int from, int to) const {
        return Bytes(appState.image.begin() + from, appState.image.begin() + to);
    }
    Bytes Old(int from, int to) const { return Bytes(old.begin() + from, old.begin() + to); }

    SettingsImage old;
};

TEST_F(CommandsTest, OneByteQueriesSendTheirFrameAndReturnTheReply) {
    struct Case {
        std::uint8_t (*query)(Port&);
        std::uint8_t code;
    };
    const Case cases[] = {{GetPotValue, 0x06},
                          {GetPushbuttonValue, 0x05},
                          {GetSupplyReading, 0x15},
                          {GetChipVariant, 0x18}};
    std::uint8_t reply = 0x80;
    for (const Case& c : cases) {
        line.Send({++reply});
        EXPECT_EQ(c.query(port), reply);
        EXPECT_EQ(line.Take(2), Bytes({0x00, c.code}));
    }
    EXPECT_EQ(GetPotValue(port), 0);  // silent keyer
}

TEST_F(CommandsTest, DetectionExchangesStoreTheByteOnlyWhenItCame) {
    struct Case {
        int (*query)(Port&, std::uint8_t*);
        Bytes frame;
    };
    const Case cases[] = {{SendEchoTest, {0x00, 0x04, 0x55}},
                          {QueryFirmwareMajor, {0x00, 0x09}},
                          {QueryFirmwareMinor, {0x00, 0x17}}};
    std::uint8_t reply = 0;
    for (const Case& c : cases) {
        line.Send({0xAA});
        EXPECT_EQ(c.query(port, &reply), 1);
        EXPECT_EQ(reply, 0xAA);
        EXPECT_EQ(line.Take(c.frame.size()), c.frame);
    }
    reply = 0x33;
    EXPECT_EQ(SendEchoTest(port, &reply), 0);
    EXPECT_EQ(reply, 0x33);
}

TEST_F(CommandsTest, WritesPutExactlyTheirFrameAndBlockOnTheLine) {
    EXPECT_EQ(LoadSettings(port, appState.image), 1);
    Bytes expected = {0x00, 0x0D};
    Bytes block = Old(0, 288);
    expected.insert(expected.end(), block.begin(), block.end());
    EXPECT_EQ(line.Take(290), expected);

    EXPECT_EQ(WriteExtension(port, appState.image), 1);
    expected = {0x00, 0x1B};
    block = Old(288, 300);
    expected.insert(expected.end(), block.begin(), block.end());
    EXPECT_EQ(line.Take(14), expected);

    EnterBootLoader(port);
    EXPECT_EQ(line.Take(3), Bytes({0x00, 0x10, 0x9B}));
    EXPECT_EQ(appState.image, old);
}

TEST_F(CommandsTest, DumpSettingsKeepsOldBytesWhereTheReplyFellShort) {
    Bytes arrived(100, 0x5A);
    line.Send(arrived);
    EXPECT_EQ(DumpSettings(port, appState.image), 0);
    EXPECT_EQ(line.Take(2), Bytes({0x00, 0x0C}));
    port.Close();
    EXPECT_EQ(Image(0, 100), arrived);
    EXPECT_EQ(Image(100, 300), Old(100, 300));
}

TEST_F(CommandsTest, ReadExtensionWithoutReplyLeavesTheImage) {
    EXPECT_EQ(ReadExtension(port, appState.image), 0);
    EXPECT_EQ(line.Take(2), Bytes({0x00, 0x1A}));
    port.Close();
    EXPECT_EQ(appState.image, old);
}

TEST_F(CommandsTest, ReadExtensionStoresJustTheBytesThatArrived) {
    Bytes full = {11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22};
    line.Send(full);
    EXPECT_EQ(ReadExtension(port, appState.image), 1);
    EXPECT_EQ(Image(288, 300), full);

    line.Send({1, 2, 3, 4, 5});
    EXPECT_EQ(ReadExtension(port, appState.image), 0);
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
