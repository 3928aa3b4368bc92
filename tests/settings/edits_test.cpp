// Edits on images alone: the editor's order over both users, the rule that
// joins the pot's ends, all or nothing. Each row's bounds and messages are
// checked against a table written out by hand (app/settings_table_test.cpp).
#include "settings/edits.h"

#include <gtest/gtest.h>

#include <string>

namespace zt {
namespace {

std::string Named(const std::optional<Refused>& r) {
    if (!r) return "stored";
    return (r->setting ? FullName(*r->setting, r->user) + ": " : "") + r->text;
}

// The first refusal in the editor's order, User 1 before User 2; a refusal
// of the pot names the end it is about.
TEST(Edits, CheckImageNamesTheFirstValueTheEditorWouldRefuse) {
    SettingsImage image{};
    EXPECT_EQ(Named(CheckImage(image)), "user1.weight: Weight must be between 10 and 90");
    LoadDefaults(image);
    At(image, User::Two, Field::Ratio) = 70;
    At(image, User::Two, Field::PotMinWpm) = 4;
    EXPECT_EQ(Named(CheckImage(image)), "user2.ratio: Ratio must be between 33 and 66");
    At(image, User::Two, Field::Ratio) = 50;
    EXPECT_EQ(Named(CheckImage(image)), "user2.min_wpm: Pot Min must be between 5 and 99");
    At(image, User::One, Field::SidetoneCode) = 0;  // no frequency at all
    EXPECT_EQ(Named(CheckImage(image)), "user1.st_freq: Freq must be 500 or greater.");
}

// Whatever the order of the edits, the first refusal is the editor's, and a
// refusal stores none of them. The pot's ends are checked as they end up,
// when either moves.
TEST(Edits, TheFirstRefusalIsTheEditorsAndStoresNothing) {
    SettingsImage image{};
    LoadDefaults(image);
    const SettingsImage defaults = image;
    const Setting &weight = SettingNamed("weight"), &maxWpm = SettingNamed("max_wpm"),
                  &minWpm = SettingNamed("min_wpm"), &msg2 = SettingNamed("msg2");
    EXPECT_EQ(Named(ApplyEdits(image, {{&SettingNamed("ratio"), User::One, 70},
                                       {&weight, User::Two, 95},
                                       {&msg2, User::One, 0, "CQ"},
                                       {&weight, User::One, 95}})),
              "user1.weight: Weight must be between 10 and 90");
    EXPECT_EQ(Named(ApplyEdits(image, {{&minWpm, User::Two, 40}})),
              "user2.max_wpm: Pot Max must be greater than Pot Min");
    EXPECT_EQ(Named(ApplyEdits(
                  image, {{&weight, User::One, 20}, {&msg2, User::One, 0, std::string(242, 'E')}})),
              "The messages hold 242 characters, 1 too many: the keyer stores 241.");
    EXPECT_EQ(image, defaults);

    // Both ends at once, the minimum first (its range wraps meanwhile) or last.
    EXPECT_FALSE(ApplyEdits(image, {{&minWpm, User::One, 40},
                                    {&maxWpm, User::One, 60},
                                    {&maxWpm, User::Two, 60},
                                    {&minWpm, User::Two, 40}}));
    for (User user : kUsers) EXPECT_EQ(ValueOf(image, user, maxWpm), 60);
}

// Every code that the editor's frequencies store (125 to 15) shows a value
// that it takes and that stores back to the same code: 15 shows as 4166 Hz.
TEST(Edits, EveryFrequencyShownStoresBackToItsCode) {
    const Setting& freq = SettingNamed("st_freq");
    for (int code = 15; code <= 125; ++code) {
        SettingsImage image{};
        LoadDefaults(image);
        At(image, User::Two, Field::SidetoneCode) = static_cast<std::uint8_t>(code);
        EXPECT_FALSE(CheckImage(image)) << code;
        EXPECT_FALSE(ApplyEdits(image, {{&freq, User::One, *ValueOf(image, User::Two, freq)}}));
        EXPECT_EQ(At(image, User::One, Field::SidetoneCode), code);
    }
}

}  // namespace
}  // namespace zt
