#include "settings/messages.h"

#include <gtest/gtest.h>

#include <string>

namespace zt {
namespace {

int Pointer(const SettingsImage& image, int message) {
    return image[kMessagePointerOffset + message - 1];
}

std::uint8_t Store(const SettingsImage& image, int k) {
    return image[kMessageStoreOffset + k];
}

TEST(MessageCodec, PacksInStorageOrderAndKeepsTheRestOfTheStore) {
    SettingsImage image{};
    image.fill(0x33);
    MessageTexts texts;
    ASSERT_FALSE(EncodeMessages(texts, image));
    for (int n = 1; n <= kMessageCount; ++n) EXPECT_EQ(Pointer(image, n), 0);
    EXPECT_EQ(image[kMessageEndOffset], 15);
    EXPECT_EQ(Store(image, 0), 0x33);  // nothing written, nothing cleared

    texts[0] = "CQ";
    ASSERT_FALSE(EncodeMessages(texts, image));
    EXPECT_EQ(Store(image, 0), 21);
    EXPECT_EQ(Store(image, 1), 155);
    EXPECT_EQ(Pointer(image, 1), 15);
    EXPECT_EQ(image[kMessageEndOffset], 17);
    EXPECT_EQ(Store(image, 2), 0x33);

    texts[0] = "a";
    texts[6] = "B";
    ASSERT_FALSE(EncodeMessages(texts, image));
    EXPECT_EQ(Pointer(image, 1), 15);
    EXPECT_EQ(Pointer(image, 7), 16);
    EXPECT_EQ(Store(image, 0), 134);
    EXPECT_EQ(Store(image, 1), 145);
    EXPECT_EQ(image[kMessageEndOffset], 17);

    texts = {};
    texts[13] = "A\r\nB";  // a line break is two spaces
    ASSERT_FALSE(EncodeMessages(texts, image));
    EXPECT_EQ(Pointer(image, 14), 15);
    const int stored[] = {6, 28, 28, 145};
    for (int k = 0; k < 4; ++k) EXPECT_EQ(Store(image, k), stored[k]) << k;
    EXPECT_EQ(DecodeMessages(image)[13], "A  B");
}

TEST(MessageCodec, DecodesToTheLowestCharacterAndStopsAtTheEnd) {
    SettingsImage image{};
    MessageTexts texts;
    texts[0] = ";<:]\\az#";
    texts[1] = "A$B";
    ASSERT_FALSE(EncodeMessages(texts, image));
    MessageTexts back = DecodeMessages(image);
    EXPECT_EQ(back[0], "!+((/AZ#");
    EXPECT_EQ(back[1], "A");  // "$" is 200: bit 7 ends it, and 72 is no code

    // No end mark: the store's last byte ends it, and a code no character has.
    image[kMessagePointerOffset + 2] = 254;
    image[286] = 6;
    image[287] = 17;
    image[288] = 6;  // the extension block is no message
    image[kMessagePointerOffset + 3] = 100;
    image[kMessagePointerBase + 100] = 6;
    image[kMessagePointerBase + 101] = 0;
    back = DecodeMessages(image);
    EXPECT_EQ(back[2], "AB");
    EXPECT_EQ(back[3], "A");
}

TEST(MessageCodec, RefusesWhatDoesNotFitOrHasNoCodeAndWritesNothing) {
    SettingsImage image{};
    MessageTexts texts;
    texts[0] = std::string(200, 'E');
    texts[12] = std::string(41, 'T');
    ASSERT_FALSE(EncodeMessages(texts, image));
    EXPECT_EQ(image[kMessageEndOffset], 0);  // 241 + 15 wraps
    EXPECT_EQ(Pointer(image, 13), 215);
    EXPECT_EQ(image[287], 3 | 0x80);

    const SettingsImage before = image;
    texts[13] = "KK";
    auto error = EncodeMessages(texts, image);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->text, "The messages hold 243 characters, 2 too many: the keyer stores 241.");

    // An edit counts with its first 249 characters only; the tab is past them.
    texts = {};
    texts[4] = std::string(249, 'E') + "\t";
    error = EncodeMessages(texts, image);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->text, "The messages hold 249 characters, 8 too many: the keyer stores 241.");

    texts[4] = "CQ\tDE";
    error = EncodeMessages(texts, image);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->text, "Msg 5 holds a tab, which has no Morse code.");
    texts[4] = "";
    texts[13] = "DL\xC3\xA9";
    error = EncodeMessages(texts, image);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->text, "User 2 Callsign holds \"\xC3\xA9\" (U+00E9), which has no Morse code.");
    EXPECT_EQ(image, before);
}

}  // namespace
}  // namespace zt
