// The editor's and the RTTY dialog's settings written out by hand (bounds,
// messages, bytes and bits as the keyer's settings are documented), not read
// from the schema: a wrong bound, message or bit in settings/schema.h, or a
// control bound to the wrong setting, fails here.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "app/rtty_dialog.h"
#include "app/settings_editor.h"
#include "resources/ids.h"
#include "support/app_fixture.h"

namespace zt {
namespace {

struct Number {
    int control;
    const char* takes;    // values stored, between spaces
    const char* refuses;  // values just past the bounds
    const char* user1;    // the message for each
    const char* user2;    // User 2's, when it is another
};
// clang-format off
const Number kNumbers[] = {
    {ids::kWeight, "10 90", "9 91", "Weight must be between 10 and 90", nullptr},
    {ids::kPttLeadIn, "0 250", "251", "Lead In must be 250 or less.", nullptr},
    {ids::kPttTail, "0 250", "251", "Tail must be 250 or less.", nullptr},
    // 4166 is what 4000's code shows; nothing else above 4000 stores.
    {ids::kStFreq, "500 4000 4166", "499 4001 4165 4167", "Freq must be 500 or greater.",
     "Freq must be between 500 and 4000."},
    {ids::kFirstExtension, "0 250", "251", "1st Extend must be 250 or less.",
     "Extend must be 250 or less."},
    {ids::kKeyComp, "0 250", "251", "Key Comp must be 250 or less.", nullptr},
    {ids::kFarnsWpm, "0 10 90", "9 91", "Farns must be 0 or between 10 and 90",
     "Farnsworth WPM must be 0 or between 10 and 90"},
    {ids::kPdlSample, "0 10 90", "9 91", "Paddle Sample must be 0 or between 10 and 90",
     "Paddle Sample must be between 10 and 90"},
    {ids::kCmdWpm, "5 99", "4 100", "Command WPM must be between 5 and 99",
     "CMDWPM must be between 5 and 99"},
    {ids::kCurWpm, "5 99", "4 100", "Favorite WPM must be between 5 and 99", nullptr},
    {ids::kStVolume, "1 4", "0 5", "Sidetone volume must be between 1 and 4", nullptr},
    {ids::kSerialNumber, "1 9999", "0 10000", "Serial number must be between 1 and 9999", nullptr},
    {ids::kRatio, "33 66", "32 67", "Ratio must be between 33 and 66", nullptr},
    // The pot's ends, each with the other at its default: MaxWpm 35, MinWpm 5.
    {ids::kMaxWpm, "6 99", "100", "Pot Max must be between 5 and 99", nullptr},
    {ids::kMaxWpm, "", "5", "Pot Max must be greater than Pot Min", nullptr},
    {ids::kMinWpm, "5 34", "4", "Pot Min must be between 5 and 99", nullptr},
    {ids::kMinWpm, "", "35", "Pot Max must be greater than Pot Min", nullptr},
    {ids::kLtrSpace, "0 31", "32", "Letterspace Adjustment can't be greater than 31", nullptr},
};

// A box clicked (entry -1) or a list's entry chosen in a zeroed image, and the
// one byte that it sets, as User 1's.
struct Bits {
    int control;
    int entry;
    int offset;
    std::uint8_t value;
};
const Bits kEditorBits[] = {
    {ids::kSwap, -1, 0, 0x08},         {ids::kAutoSpace, -1, 0, 0x02},
    {ids::kCtSpace, -1, 0, 0x01},      {ids::kPdlWdOff, -1, 0, 0x80},
    {ids::kTune50, -1, 14, 0x20},      {ids::kCut0, -1, 288, 0x10},
    {ids::kCut9, -1, 288, 0x20},       {ids::kPdlToneOnly, -1, 288, 0x08},
    {ids::kPaddleMute, -1, 288, 0x02}, {ids::kFastCmd, -1, 288, 0x40},
    {ids::kSo2r, -1, 288, 0x04},       {ids::kFaveWpmOff, -1, 288, 0x01},
    {ids::kOutputSelection, 0, 13, 4}, {ids::kOutputSelection, 1, 13, 6},
    {ids::kOutputSelection, 2, 13, 5}, {ids::kOutputSelection, 3, 13, 7},
    {ids::kOutputSelection, 4, 13, 8}, {ids::kOutputSelection, 5, 13, 10},
    {ids::kOutputSelection, 6, 13, 9}, {ids::kOutputSelection, 7, 13, 11},
    {ids::kPaddleHang, 1, 13, 0x10},   {ids::kPaddleHang, 3, 13, 0x30},
};
const Bits kRttyBits[] = {
    {ids::kRttyEnable, -1, 289, 0x80},  {ids::kRttyDiddle, -1, 289, 0x40},
    {ids::kRttyFskMap, -1, 289, 0x20},  {ids::kRttyAutoCrlf, -1, 289, 0x10},
    {ids::kRttyReverse, -1, 289, 0x04}, {ids::kRttyBaud, 1, 289, 0x01},
    {ids::kRttyBaud, 2, 289, 0x02},     {ids::kRttyBaud, 3, 289, 0x03},
    {ids::kRttyStopBits, 1, 290, 0x08}, {ids::kRttyDiddleIs, 1, 290, 0x04},
    {ids::kRttyUsos, 1, 290, 0x01},
};
// Each keyer mode over the Ultimatic variant bits 11: the mode register's
// bits 5-4 and the output register's bits 7-6.
const std::uint8_t kKeyerModes[][2] = {
    {0x10, 0xC0}, {0x00, 0xC0}, {0x20, 0x00}, {0x20, 0x80}, {0x20, 0x40}, {0x30, 0xC0},
};
// clang-format on

// User 2's bytes lie 16 further in the first block, 6 in the extension.
int Offset(int offset, User user) {
    return user == User::One ? offset : offset + (offset < 288 ? 16 : 6);
}

void Set(ui::Window& w, const Bits& b) {
    if (b.entry < 0)
        ui::click(w, b.control);
    else
        ui::selectItem(w, b.control, b.entry);
}

SettingsImage Only(User user, int offset, std::uint8_t value) {
    SettingsImage image{};
    image[Offset(offset, user)] = value;
    return image;
}

class SettingsTable : public testing::AppTest {
  protected:
    // What storing the typed values says: "" when it took them.
    std::string store(ui::Window& w, User user) {
        const std::size_t boxes = host().messageBoxes.size();
        if (StoreSettingsControls(w, user)) return "";
        return host().messageBoxes.size() > boxes ? host().messageBoxes.back().text : "no message";
    }
};

TEST_F(SettingsTable, EachNumberTakesItsBoundsAndRefusesJustPastThemInTheUsersWords) {
    ui::Window& w = openMain();
    ui::click(w, ids::kResetDefaults);
    for (User user : kUsers) {
        for (const Number& n : kNumbers) {
            const std::string shown = ui::getText(w, n.control);
            const std::string refusal = user == User::Two && n.user2 ? n.user2 : n.user1;
            std::istringstream takes(n.takes), refuses(n.refuses);
            for (std::string typed; takes >> typed;) {
                ui::setText(w, n.control, typed);
                EXPECT_EQ(store(w, user), "") << typed;
            }
            for (std::string typed; refuses >> typed;) {
                ui::setText(w, n.control, typed);
                EXPECT_EQ(store(w, user), refusal) << typed;
            }
            ui::setText(w, n.control, shown);
        }
    }
}

TEST_F(SettingsTable, EachBoxAndEntrySetsItsOwnBitsInAZeroedImage) {
    ui::Window& w = openMain();
    for (User user : kUsers) {
        editedUser = user;
        for (const Bits& b : kEditorBits) {
            appState.image.fill(0);
            Set(w, b);
            EXPECT_EQ(appState.image, Only(user, b.offset, b.value)) << b.control << ":" << b.entry;
        }
        for (int mode = 0; mode < 6; ++mode) {
            appState.image = Only(user, 13, 0xC0);
            ui::selectItem(w, ids::kKeyerMode, mode);
            SettingsImage expected = Only(user, 13, kKeyerModes[mode][1]);
            expected[Offset(0, user)] = kKeyerModes[mode][0];
            EXPECT_EQ(appState.image, expected) << mode;
        }
        for (const Bits& b : kRttyBits) {
            appState.image.fill(0);
            host().onModal(ids::kRttyDialog, [&b](ui::Window& d) {
                Set(d, b);
                ui::click(d, ids::kRttyOk);
            });
            RttyCommand(w);
            EXPECT_EQ(appState.image, Only(user, b.offset, b.value)) << b.control << ":" << b.entry;
        }
    }
}

}  // namespace
}  // namespace zt
