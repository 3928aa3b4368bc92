#include "app/settings_editor.h"

#include <gtest/gtest.h>

#include <string>

#include "resources/ids.h"
#include "settings/schema.h"
#include "support/app_fixture.h"

namespace zt {
namespace {

class EditorTest : public testing::AppTest {
  protected:
    ui::Window& openWithDefaults() {
        ui::Window& w = openMain();
        ui::click(w, ids::kResetDefaults);
        return w;
    }
    void type(ui::Window& w, int id, const std::string& s) { ui::setText(w, id, s); }
    std::string text(ui::Window& w, int id) { return ui::getText(w, id); }
    // The message of the first refused row, or "" when all were stored.
    std::string store(ui::Window& w, User user) {
        const std::size_t before = host().messageBoxes.size();
        const bool stored = StoreSettingsControls(w, user);
        EXPECT_EQ(stored, host().messageBoxes.size() == before);
        if (stored) return "";
        EXPECT_EQ(host().messageBoxes.back().caption, "Error");
        EXPECT_EQ(host().messageBoxes.back().icon, ui::Icon::None);
        return host().messageBoxes.back().text;
    }
    std::uint8_t byte(int offset) { return session.image[offset]; }
};

TEST_F(EditorTest, ResetToDefaultsFillsBothUsersAndLeavesMessagesAndRadioButtons) {
    ui::Window& w = openWithDefaults();
    ui::click(w, ids::kUser2);
    ui::click(w, ids::kBank2);
    session.image.fill(0xA5);
    SettingsImage defaults = session.image;
    LoadDefaults(defaults);
    ui::click(w, ids::kResetDefaults);
    EXPECT_EQ(session.image, defaults);
    for (int k = 32; k < 288; ++k) ASSERT_EQ(byte(k), 0xA5) << k;
    EXPECT_TRUE(ui::isChecked(w, ids::kUser2) && ui::isChecked(w, ids::kBank2));
    EXPECT_EQ(text(w, ids::kStFreq), "801");
    EXPECT_EQ(text(w, ids::kMaxWpm), "35");
    EXPECT_EQ(text(w, ids::kSerialNumber), "1");
    EXPECT_EQ(ui::comboSelection(w, ids::kOutputSelection), 3);  // "Port1, ST, PTT"
    EXPECT_TRUE(!ui::isVisible(w, ids::kCallUser1) && ui::isVisible(w, ids::kCallUser2));
}

TEST_F(EditorTest, ARefusedRowStoresNoneAndTheOthersLandAsTheKeyerWantsThem) {
    ui::Window& w = openWithDefaults();
    const SettingsImage defaults = session.image;
    type(w, ids::kWeight, "33");
    type(w, ids::kSerialNumber, "258");
    type(w, ids::kRatio, "70");
    type(w, ids::kLtrSpace, "7");
    EXPECT_EQ(store(w, User::One), "Ratio must be between 33 and 66");
    EXPECT_EQ(session.image, defaults);

    // Stored values land in their fields as the keyer wants them.
    type(w, ids::kRatio, "40");
    type(w, ids::kStFreq, "800");
    type(w, ids::kMaxWpm, "40");
    type(w, ids::kMinWpm, "12");
    session.image[14] = 0xE0;
    EXPECT_EQ(store(w, User::One), "");
    // Freq, Weight, MinWpm, MaxWpm over MinWpm, the register, serial number low and high
    EXPECT_EQ(
        (std::vector<int>{byte(2), byte(3), byte(6), byte(7), byte(14), byte(292), byte(293)}),
        (std::vector<int>{78, 33, 12, 28, 0xE7, 1, 1}));
}

// Each end alone is tests/app/settings_table_test.cpp's; both wrong, the
// order comes first.
TEST_F(EditorTest, PotMaxAndMinAreCheckedInTheirOrder) {
    ui::Window& w = openWithDefaults();
    type(w, ids::kMaxWpm, "4");
    type(w, ids::kMinWpm, "40");
    EXPECT_EQ(store(w, User::Two), "Pot Max must be greater than Pot Min");
}

TEST_F(EditorTest, SwitchingUsersStoresFillsAndMarksTheSelectedUser) {
    ui::Window& w = openWithDefaults();
    type(w, ids::kWeight, "5");
    ui::click(w, ids::kUser2);  // refused: the box is tests/app/settings_table_test.cpp's
    EXPECT_TRUE(ui::isChecked(w, ids::kUser1) && !ui::isChecked(w, ids::kUser2));
    EXPECT_EQ(session.editedUser, User::One);
    EXPECT_TRUE(ui::isEnabled(w, ids::kUser2));  // the buttons come back after a refusal

    type(w, ids::kWeight, "60");
    session.image[16 + 3] = 20;  // User 2's weight
    ui::click(w, ids::kUser2);
    EXPECT_EQ(byte(3), 60);
    EXPECT_EQ(text(w, ids::kWeight), "20");
    EXPECT_TRUE(ui::isChecked(w, ids::kUser2) && ui::isVisible(w, ids::kCallUser2));
    EXPECT_EQ(byte(14) & 0x80, 0x80);
    ui::click(w, ids::kUser1);
    EXPECT_EQ(byte(14) & 0x80, 0);
    EXPECT_EQ(text(w, ids::kWeight), "60");
}

TEST_F(EditorTest, ListsWriteTheirBitsAndShowWhatTheBytesHold) {
    ui::Window& w = openWithDefaults();
    session.image[13] = 0xC7;  // User 1: variant bits 11, Ultimatic family below
    session.image[0] = 0x20;
    FillSettingsControls(w, User::One);
    EXPECT_EQ(ui::comboSelection(w, ids::kKeyerMode), 3);  // "UltimDit"

    // Each entry's bits are tests/app/settings_table_test.cpp's.
    ui::click(w, ids::kUser2);
    session.image[29] = 0x30;
    ui::selectItem(w, ids::kOutputSelection, 5);  // "Port2, ST"
    EXPECT_EQ(byte(29) & 0x0F, 10);
    ui::sendCommand(w, ids::kOutputSelection, 5);  // not a selection change
    EXPECT_EQ(byte(29) & 0x0F, 10);
    ui::comboSelect(w, ids::kOutputSelection, -1);  // a change to no selection clears the bits
    ui::sendCommand(w, ids::kOutputSelection, ui::kSelectionChanged);
    EXPECT_EQ(byte(29), 0x30);

    for (std::uint8_t bits : {0, 3, 12, 15}) {
        session.image[29] = static_cast<std::uint8_t>(0x30 | bits);
        FillSettingsControls(w, User::Two);
        EXPECT_EQ(ui::comboSelection(w, ids::kOutputSelection), 0) << int(bits);
        EXPECT_EQ(byte(29), 0x30 | bits);
    }
}

TEST_F(EditorTest, UninterpretedBitsSurviveFillingTogglingAndStoring) {
    ui::Window& w = openWithDefaults();
    session.image[16] = 0x44;   // User 2 mode register bits 6 and 2
    session.image[294] = 0x80;  // User 2 extension bit 7
    session.image[30] = 0xC3;   // User 2 aux: bits 7-6 mean nothing there
    ui::click(w, ids::kUser2);
    ui::click(w, ids::kSwap);
    ui::click(w, ids::kSo2r);
    ui::click(w, ids::kTune50);
    EXPECT_TRUE(ui::isChecked(w, ids::kSwap));
    EXPECT_EQ(store(w, User::Two), "");
    EXPECT_EQ(byte(16), 0x4C);
    EXPECT_EQ(byte(294), 0x84);
    EXPECT_EQ(byte(30), 0xE3);
    ui::click(w, ids::kSwap);
    EXPECT_EQ(byte(16), 0x44);
    EXPECT_FALSE(ui::isChecked(w, ids::kSwap));
}

TEST_F(EditorTest, ASidetoneCodeOfZeroLeavesTheFrequencyAsTyped) {
    ui::Window& w = openMain();
    type(w, ids::kStFreq, "1234");
    FillSettingsControls(w, User::One);
    EXPECT_EQ(text(w, ids::kStFreq), "1234");
    EXPECT_EQ(text(w, ids::kWeight), "0");
}

}  // namespace
}  // namespace zt
