// The settings schema on images alone: the factory bytes, every row's value
// through its own bits, the conversions, and which settings a byte holds.
// That the rows agree among themselves (names, bits, defaults, the editor's
// order) the compiler checks in schema.cpp.
#include "settings/schema.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "settings/edits.h"

namespace zt {
namespace {

// Every bit pattern somewhere; the pot's minimum at 5, below any maximum.
SettingsImage Pattern() {
    SettingsImage image;
    for (int i = 0; i < kSettingsImageSize; ++i) image[i] = static_cast<std::uint8_t>(i * 37 + 11);
    for (User user : kUsers) At(image, user, Field::PotMinWpm) = 5;
    return image;
}

// What a keyer is sent after Reset to Defaults: the one place the factory
// bytes are written out.
TEST(Schema, DefaultsAreTheFactoryBytesAndLeaveTheMessages) {
    SettingsImage image = Pattern();
    const SettingsImage before = image;
    LoadDefaults(image);
    const std::vector<std::uint8_t> user = {0, 15, 78, 50, 0, 0, 5, 30, 0, 0, 0, 50, 50, 7, 0, 15};
    const std::vector<std::uint8_t> extension = {0, 0, 0, 4, 0, 0};
    for (int base : {0, 16})
        EXPECT_EQ(std::vector(image.begin() + base, image.begin() + base + 16), user) << base;
    for (int base : {288, 294})
        EXPECT_EQ(std::vector(image.begin() + base, image.begin() + base + 6), extension) << base;
    EXPECT_TRUE(std::equal(image.begin() + 32, image.begin() + 288, before.begin() + 32));
    EXPECT_FALSE(CheckImage(image));
}

// Each value a row accepts reads back as stored, and no other setting moves
// (but the pot's other end, whose byte the pair shares).
TEST(Schema, EveryValueReadsBackAsStoredAndMovesNoOtherSetting) {
    for (const NamedSetting& n : NamedSettings()) {
        const Setting& s = *n.row;
        if (s.kind == Kind::Text) continue;
        std::vector<std::int64_t> values = {s.byDefault};
        if (s.kind == Kind::Number) values.insert(values.end(), {s.min, s.max});
        for (int i = 0; i < static_cast<int>(s.entries.size()) || (s.kind == Kind::Flag && i < 2);
             ++i)
            values.push_back(i);
        for (std::int64_t value : values) {
            SCOPED_TRACE(n.name + " = " + std::to_string(value));
            SettingsImage image = Pattern();
            Store(image, n.user, s, value);
            // 4000 Hz is kept as the code 15, which shows as 4166.
            const std::int64_t shown = s.place == Place::Sidetone ? 62500 / (62500 / value) : value;
            EXPECT_EQ(ValueOf(image, n.user, s), shown);
            const bool pot = s.place == Place::PotMin || s.place == Place::PotMax;
            for (const NamedSetting& other : NamedSettings()) {
                if (&other == &n ||
                    (pot && other.user == n.user && other.row->place == Place::PotMax))
                    continue;
                EXPECT_EQ(ValueOf(image, other.user, *other.row),
                          ValueOf(Pattern(), other.user, *other.row))
                    << other.name;
            }
        }
    }
}

// The converted values, by the bytes.
TEST(Schema, ConversionsBetweenBytesAndShownValues) {
    SettingsImage image{};
    const Setting& freq = SettingNamed("st_freq");
    Store(image, User::One, freq, 800);
    EXPECT_EQ(image[2], 78);
    EXPECT_EQ(ValueOf(image, User::One, freq), 801);
    Store(image, User::One, freq, 4000);
    EXPECT_EQ(image[2], 15);
    EXPECT_EQ(ValueOf(image, User::One, freq), 4166);
    const Setting& serial = SettingNamed("serial_number");
    Store(image, User::Two, serial, 9999);
    EXPECT_EQ(image[298], 0x27);
    EXPECT_EQ(image[299], 0x0E);
    Store(image, User::Two, serial, 1);
    EXPECT_EQ(image[298], 0);
    EXPECT_EQ(image[299], 0);
    EXPECT_EQ(ValueOf(image, User::Two, serial), 1);
    image[14] = 0xE0;
    Store(image, User::One, SettingNamed("ltr_space"), 31);
    EXPECT_EQ(image[14], 0xFF);
    for (const char* junk : {"", "12a", "-3", "4294967296"}) EXPECT_EQ(ParseEditNumber(junk), 0u);
    EXPECT_EQ(ParseEditNumber("4294967295"), 4294967295u);
}

// Which settings a byte is part of, for naming a byte that read back wrong:
// a user's field by the settings kept there, a message by its pointer or its
// bytes.
TEST(Schema, EachByteNamesTheSettingsItHoldsPartOf) {
    SettingsImage image{};
    LoadDefaults(image);
    MessageTexts texts;
    texts[2] = "CQ";
    texts[13] = "ZT";
    ASSERT_FALSE(EncodeMessages(texts, image));
    using Names = std::vector<std::string>;
    const auto at = [&image](int offset) {
        Names names;
        for (const NamedSetting* n : SettingsAt(image, offset)) names.push_back(n->name);
        return names;
    };
    EXPECT_EQ(at(1), Names{"user1.cur_wpm"});
    EXPECT_EQ(at(23), (Names{"user2.max_wpm", "user2.min_wpm"}));
    EXPECT_EQ(at(29), (Names{"user2.output_selection", "user2.paddle_hang", "user2.keyer_mode"}));
    EXPECT_EQ(at(14),
              (Names{"user1.ltr_space", "user1.tune_50", "selected_user", "selected_bank"}));
    EXPECT_EQ(at(30), (Names{"user2.ltr_space", "user2.tune_50"}));
    EXPECT_EQ(at(298), Names{"user2.serial_number"});
    EXPECT_EQ(at(296).size(), 3u);     // rtty.stop_bits, diddle_is, usos
    EXPECT_EQ(at(35), Names{"msg3"});  // its pointer
    EXPECT_EQ(at(48), Names{"msg3"});  // its last byte
    EXPECT_EQ(at(49), Names{"msg14"});
    EXPECT_EQ(at(51), Names{});  // past the last message
    EXPECT_EQ(at(32), Names{});  // the end byte
}

}  // namespace
}  // namespace zt
