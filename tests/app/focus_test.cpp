// Where the keyboard focus is after the main window's operations, and what a
// value box tells about its range before anything is refused.
#include <gtest/gtest.h>

#include <string>

#include "app/setting_controls.h"
#include "app/settings_editor.h"
#include "resources/ids.h"
#include "settings/schema.h"
#include "support/app_fixture.h"

namespace zt {
namespace {

namespace id = ids;

class FocusTest : public testing::AppTest {
  protected:
    // No keyer answers: every detection fails at once.
    ui::Window& openWithoutKeyer() {
        session.comPortNumber = -3;
        return openMain();
    }
    // A button pressed from the keyboard: it has the focus, and its command runs.
    void press(ui::Window& w, int button) {
        ui::setFocus(w, button);
        ASSERT_EQ(ui::focusedControl(w), button);
        ui::click(w, button);
    }
};

TEST_F(FocusTest, AKeyerOperationGivesItBackToTheControlThatHadItOrIfDisabledToTestZt) {
    ui::Window& w = openWithoutKeyer();
    press(w, id::kTestZt);
    EXPECT_EQ(ui::focusedControl(w), id::kTestZt);  // the next Enter tests again

    // Run by its access key from a field: the focus stays in the field.
    ui::setFocus(w, id::kMsg1 + 2);
    ui::click(w, id::kTestZt);
    EXPECT_EQ(ui::focusedControl(w), id::kMsg1 + 2);

    ui::click(w, id::kResetDefaults);  // opens the settings-file buttons
    host().answerFileDialog(std::nullopt);
    press(w, id::kReadConfigFile);
    EXPECT_EQ(ui::focusedControl(w), id::kReadConfigFile);
    press(w, id::kUser2);
    EXPECT_EQ(ui::focusedControl(w), id::kUser2);

    // A button that stays disabled hands it to Test ZT.
    ui::enable(w, id::kReadZt, true);  // as after a keyer that has gone since
    press(w, id::kReadZt);
    EXPECT_FALSE(ui::isEnabled(w, id::kReadZt));
    EXPECT_EQ(ui::focusedControl(w), id::kTestZt);

    // FW Update ends with a Test, which finds no keyer and disables it.
    ui::enable(w, id::kFwUpdate, true);
    host().onModal(id::kUploaderDialog, [](ui::Window& u) { ui::click(u, id::kUploadExit); });
    press(w, id::kFwUpdate);
    EXPECT_EQ(ui::focusedControl(w), id::kTestZt);
}

TEST_F(FocusTest, ARefusedValueTakesItToTheFieldTheMessageNamesWithItsTextSelected) {
    ui::Window& w = openWithoutKeyer();
    struct Case {
        int button;
        int field;
        const char* value;
        int named;  // the field the message names
    } cases[] = {
        {id::kUser2, id::kWeight, "9", id::kWeight},
        {id::kWriteConfigFile, id::kRatio, "70", id::kRatio},
        {id::kUser2, id::kMinWpm, "40", id::kMaxWpm},   // "Pot Max must be greater than Pot Min"
        {id::kUser2, id::kMinWpm, "4", id::kMinWpm},    // "Pot Min must be between 5 and 99"
        {id::kUser2, id::kMaxWpm, "120", id::kMaxWpm},  // "Pot Max must be between 5 and 99"
    };
    for (const Case& c : cases) {
        ui::click(w, id::kResetDefaults);  // MaxWpm 35, MinWpm 10, and the file buttons open
        ui::setText(w, c.field, c.value);
        const std::size_t boxes = host().messageBoxes.size();
        press(w, c.button);
        ASSERT_EQ(host().messageBoxes.size(), boxes + 1) << c.value;
        const std::string& message = host().messageBoxes.back().text;
        EXPECT_EQ(ui::focusedControl(w), c.named) << message;
        EXPECT_EQ(host().selectedText, c.named) << message;
    }
    EXPECT_TRUE(ui::isChecked(w, id::kUser1));

    // A message that holds a character the keyer cannot store, pasted.
    ui::click(w, id::kResetDefaults);
    ui::setText(w, id::kMsg1 + 2, "PRICE $5");
    press(w, id::kWriteConfigFile);
    EXPECT_EQ(ui::focusedControl(w), id::kMsg1 + 2);
    EXPECT_EQ(host().selectedText, id::kMsg1 + 2);

    // A value of the user not on show, as a file may hold it: refused in that
    // user's words, and the window turns to that user with the field focused.
    ui::click(w, id::kResetDefaults);
    ui::setText(w, id::kMsg1 + 2, "");
    session.image[16 + 1] = 200;  // User 2's CurWpm
    session.image[16 + 15] = 4;   // and CmdWpm, which the editor checks first
    press(w, id::kWriteConfigFile);
    EXPECT_EQ(host().messageBoxes.back().text, "CMDWPM must be between 5 and 99");
    EXPECT_TRUE(ui::isChecked(w, id::kUser2) && !ui::isChecked(w, id::kUser1));
    EXPECT_EQ(ui::getText(w, id::kCmdWpm), "4");
    EXPECT_EQ(ui::focusedControl(w), id::kCmdWpm);
    EXPECT_EQ(host().selectedText, id::kCmdWpm);
    EXPECT_TRUE(host().fileRequests.empty());
}

TEST_F(FocusTest, EachValueBoxTellsItsRangeFromItsBounds) {
    ui::Window& w = openWithoutKeyer();
    for (const SettingControl& bound : kMainControls) {
        if (bound.setting->kind != Kind::Number) continue;
        const ui::Control& c = ui::control(w, bound.control);
        EXPECT_NE(c.tip, "") << c.name;
        EXPECT_EQ(c.description, c.tip) << c.name;
    }
    EXPECT_EQ(ui::control(w, id::kWeight).tip, "10 to 90");
    EXPECT_EQ(ui::control(w, id::kFarnsWpm).tip, "0, or 10 to 90");
    EXPECT_EQ(ui::control(w, id::kStFreq).tip, "500 to 4000");
    EXPECT_EQ(ui::control(w, id::kMaxWpm).tip, "5 to 99, more than MinWpm");
    EXPECT_EQ(ui::control(w, id::kMinWpm).tip, "5 to 99, less than MaxWpm");
}

}  // namespace
}  // namespace zt
