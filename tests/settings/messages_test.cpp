#include "settings/messages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zt {
namespace {

// Image bytes at these offsets, to compare with what they should hold.
std::vector<int> Bytes(const SettingsImage& im, std::initializer_list<int> offsets) {
    std::vector<int> v;
    for (int at : offsets) v.push_back(im[at]);
    return v;
}

TEST(MessageCodec, PacksInStorageOrderAndKeepsTheRestOfTheStore) {
    SettingsImage im;
    im.fill(0x33);
    MessageTexts t;
    ASSERT_FALSE(EncodeMessages(t, im));
    EXPECT_EQ(Bytes(im, {32, 33, 46, 47}), (std::vector{15, 0, 0, 0x33}));
    t[0] = "CQ";
    ASSERT_FALSE(EncodeMessages(t, im));
    EXPECT_EQ(Bytes(im, {32, 33, 47, 48, 49}), (std::vector{17, 15, 21, 155, 0x33}));
    t[0] = "a";
    t[6] = "B";
    ASSERT_FALSE(EncodeMessages(t, im));
    EXPECT_EQ(Bytes(im, {32, 33, 39, 47, 48}), (std::vector{17, 15, 16, 134, 145}));
    t = {};
    t[13] = "A\r\nB";  // a line break is two spaces
    ASSERT_FALSE(EncodeMessages(t, im));
    EXPECT_EQ(Bytes(im, {46, 47, 48, 49, 50}), (std::vector{15, 6, 28, 28, 145}));
    EXPECT_EQ(DecodeMessages(im)[13], "A  B");
}

TEST(MessageCodec, DecodesToTheLowestCharacterAndStopsAtTheEnd) {
    SettingsImage im{};
    MessageTexts t;
    t[0] = ";<:]\\az#";
    t[1] = "AHB";
    ASSERT_FALSE(EncodeMessages(t, im));
    im[48 + 8] = 200;  // "$" as older versions stored it: bit 7 ends it, and 72 is no code
    // No end mark: the store's end stops message 3, a code without a character 4.
    im[35] = 254;
    im[286] = 6, im[287] = 17, im[288] = 6;
    im[36] = 100;
    im[132] = 6, im[133] = 0;
    const MessageTexts back = DecodeMessages(im);
    EXPECT_EQ(std::vector(back.begin(), back.begin() + 4),
              (std::vector<std::string>{"!+((/AZ#", "A", "AB", "A"}));
}

// "#" is how the empty pattern reads back: what a keyer or a file holds goes
// back as it came, wherever the empty pattern stands in a message.
TEST(MessageCodec, TheEmptyPatternReadsBackAsHashAndIsWrittenBackUnchanged) {
    SettingsImage im{};
    const std::vector<int> stored = {1, 6, 1, 145, 0x81};  // "#A#B", then "#"
    std::copy(stored.begin(), stored.end(), im.begin() + 47);
    im[32] = 20, im[33] = 15, im[40] = 19;
    const MessageTexts texts = DecodeMessages(im);
    EXPECT_EQ(texts[0], "#A#B");
    EXPECT_EQ(texts[7], "#");
    SettingsImage again{};
    ASSERT_FALSE(EncodeMessages(texts, again));
    EXPECT_EQ(again, im);
}

TEST(MessageCodec, RefusesWhatDoesNotFitOrHasNoCodeAndWritesNothing) {
    SettingsImage im{};
    MessageTexts t;
    t[0] = std::string(200, 'E');
    t[12] = std::string(41, 'T');
    ASSERT_FALSE(EncodeMessages(t, im));
    EXPECT_EQ(Bytes(im, {32, 45, 287}), (std::vector{0, 215, 0x83}));  // 241 + 15 wraps

    const SettingsImage before = im;
    auto refusal = [&](int n, const std::string& text) {
        MessageTexts more = t;
        more[n] = text;
        auto error = EncodeMessages(more, im);
        return error ? error->text : "stored";
    };
    EXPECT_EQ(refusal(13, "KK"),
              "The messages hold 243 characters, 2 too many: the keyer stores 241.");
    t = {};  // every character counts, also past what the window counts of an edit
    EXPECT_EQ(refusal(4, std::string(100000, 'E')),
              "The messages hold 100000 characters, 99759 too many: the keyer stores 241.");
    EXPECT_EQ(refusal(4, std::string(249, 'E') + "\t"),
              "Msg 5 holds a tab, which has no Morse code.");
    EXPECT_EQ(refusal(4, "CQ\tDE"), "Msg 5 holds a tab, which has no Morse code.");
    EXPECT_EQ(refusal(13, "DL\xC3\xA9"),
              "User 2 Callsign holds \"\xC3\xA9\" (U+00E9), which has no Morse code.");
    // "$" would end its message at its own code, and these have no pattern: the
    // store would keep "#" for them.
    EXPECT_EQ(refusal(2, "PRICE $5 OK"), "Msg 3: \"$\" cannot be stored");
    for (char ch : std::string("%&^_`{}~"))
        EXPECT_EQ(refusal(0, std::string("50") + ch),
                  std::string("Msg 1: \"") + ch + "\" cannot be stored");
    EXPECT_EQ(refusal(12, "A\x7F"), "User 1 Callsign: DEL (127) cannot be stored");
    EXPECT_EQ(im, before);
}

// The store as the encoder leaves it passes; so do gaps, which take nothing
// from any message. Each fault is named with its message.
TEST(MessageStoreCheck, PassesPackedStoresAndNamesTheMessageOfEachFault) {
    SettingsImage im{};
    MessageTexts t;
    ASSERT_FALSE(EncodeMessages(t, im));
    EXPECT_FALSE(CheckMessageStore(im));  // empty: the end byte is 15
    t[0] = std::string(200, 'E');
    t[13] = std::string(41, 'T');
    ASSERT_FALSE(EncodeMessages(t, im));
    EXPECT_FALSE(CheckMessageStore(im));  // full: the end byte is 0
    t = {};
    t[2] = "CQ";
    t[8] = "DE";
    im = {};
    ASSERT_FALSE(EncodeMessages(t, im));
    const SettingsImage packed = im;
    EXPECT_FALSE(CheckMessageStore(im));
    im[41] = 40, im[72] = 9, im[73] = 0x82, im[32] = 42;  // Msg 9 moved on, leaving a gap
    EXPECT_FALSE(CheckMessageStore(im));

    auto fault = [&](std::initializer_list<std::pair<int, int>> changes) {
        SettingsImage broken = packed;
        for (auto [at, value] : changes) broken[at] = static_cast<std::uint8_t>(value);
        auto error = CheckMessageStore(broken);
        return error ? error->text : "passed";
    };
    EXPECT_EQ(fault({{35, 7}}), "Msg 3 points into the pointer table (pointer 7)");
    EXPECT_EQ(fault({{41, 16}}), "Msg 9 starts before the message ahead of it ends (pointer 16)");
    EXPECT_EQ(fault({{41, 15}}), "Msg 9 starts before the message ahead of it ends (pointer 15)");
    EXPECT_EQ(fault({{48, 27}}),  // Msg 3 runs on into Msg 9
              "Msg 9 starts before the message ahead of it ends (pointer 17)");
    EXPECT_EQ(fault({{50, 2}}), "Msg 9 has no end mark before the store ends (pointer 17)");
    EXPECT_EQ(fault({{32, 18}}), "The message store's end byte is 18 where the messages end at 19");
    EXPECT_EQ(fault({{46, 250}, {282, 2}, {283, 0x82}}),
              "The message store's end byte is 19 where the messages end at 252");
}

}  // namespace
}  // namespace zt
