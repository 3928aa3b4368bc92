#include "app/message_editor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/setting_controls.h"
#include "app/settings_editor.h"
#include "resources/ids.h"
#include "support/app_fixture.h"

namespace zt {
namespace {

using testing::AppTest;

TEST_F(AppTest, MessageEditsGoThroughTheImageAndARefusalShowsWhy) {
    ui::Window& w = openMain();
    ui::click(w, ids::kResetDefaults);
    ui::setText(w, ids::kMsg1, "cq de dl1abc");
    ui::setText(w, ids::kCallUser2, "73;");
    ASSERT_TRUE(StoreBeforeWrite(w));
    for (int id : kMessageEdits) ui::setText(w, id, "x");
    FillMessageEdits(w);
    EXPECT_EQ(ui::getText(w, ids::kMsg1), "CQ DE DL1ABC");
    EXPECT_EQ(ui::getText(w, ids::kCallUser2), "73!");
    EXPECT_EQ(ui::getText(w, ids::kMsg7), "");

    const SettingsImage before = session.image;
    ui::paste(w, ids::kMsg7 + 3, std::string(230, 'E'));  // pasting is not filtered
    EXPECT_FALSE(StoreBeforeWrite(w));
    ASSERT_EQ(host().messageBoxes.size(), 1u);
    const ui::MessageBoxRecord& box = host().messageBoxes[0];
    EXPECT_EQ(box.text + "|" + box.caption,
              "The messages hold 245 characters, 4 too many: the keyer stores 241.|Error");
    EXPECT_TRUE(box.icon == ui::Icon::None && box.owner == &w);
    EXPECT_EQ(session.image, before);

    // Pasted "$" is refused by name, not stored as the end of its message.
    ui::setText(w, ids::kMsg7 + 3, "");
    ui::paste(w, ids::kMsg1, "CQ$");
    EXPECT_FALSE(StoreBeforeWrite(w));
    EXPECT_EQ(host().messageBoxes.back().text, "Msg 1: \"$\" cannot be stored");
    EXPECT_EQ(session.image, before);
}

// A keyer or a file may hold the empty pattern; it shows as "#" and goes
// back as it came, though "#" cannot be typed.
TEST_F(AppTest, TheEmptyPatternGoesBackToTheImageAsItCame) {
    ui::Window& w = openMain();
    ui::click(w, ids::kResetDefaults);
    const std::vector<int> stored = {21, 1, 0x9B};  // "C", the empty pattern, "Q"
    std::copy(stored.begin(), stored.end(), session.image.begin() + 47);
    session.image[32] = 18, session.image[33 + 12] = 15;
    const SettingsImage before = session.image;
    FillMessageEdits(w);
    EXPECT_EQ(ui::getText(w, ids::kCallUser1), "C#Q");
    std::fill(session.image.begin() + 32, session.image.begin() + 288, 0);
    ASSERT_TRUE(StoreBeforeWrite(w));
    EXPECT_TRUE(std::equal(before.begin() + 32, before.begin() + 288, session.image.begin() + 32));
}

TEST_F(AppTest, BankButtonsShowABankKeepTheTextsAndMarkTheImage) {
    ui::Window& w = openMain();
    session.image[14] = 0x9F;  // the register's other bits stay
    ui::setText(w, ids::kMsg1, "CQ");
    SelectBank(w, Bank::Two);
    EXPECT_EQ(session.image[14], 0xDF);
    EXPECT_EQ(session.shownBank, Bank::Two);
    EXPECT_TRUE(ui::isChecked(w, ids::kBank2) && !ui::isChecked(w, ids::kBank1));
    EXPECT_TRUE(ui::isVisible(w, ids::kMsg7) && !ui::isVisible(w, ids::kMsg1));
    SelectBank(w, Bank::One);
    EXPECT_EQ(session.image[14], 0x9F);
    EXPECT_TRUE(session.shownBank == Bank::One && ui::isChecked(w, ids::kBank1));
    EXPECT_EQ(ui::getText(w, ids::kMsg1), "CQ");
}

TEST_F(AppTest, KeyFilterRefusesCharactersWithoutACodeButNotEditingKeys) {
    ui::Window& w = openMain();
    for (int ch : {int('\t'), 0xE9, 0x20AC, int('$'), int('#'), int('%'), 127})
        EXPECT_FALSE(ui::typeChar(w, ids::kMsg1, ch)) << ch;
    EXPECT_FALSE(ui::typeChar(w, ids::kCallUser1, '~'));
    EXPECT_TRUE(ui::typeChar(w, ids::kCallUser1, 'a'));
    EXPECT_TRUE(ui::typeChar(w, ids::kCallUser1, 8));
    EXPECT_EQ(ui::getText(w, ids::kCallUser1), "");
    // Backspace, Ctrl+C, Ctrl+V, Ctrl+X and Ctrl+A still work on a full store.
    ui::setText(w, ids::kMsg1, std::string(241, 'E'));
    for (int ch : {8, 3, 22, 24, 1}) EXPECT_TRUE(ui::acceptsTypedChar(w, ids::kMsg1, ch)) << ch;
    EXPECT_FALSE(ui::acceptsTypedChar(w, ids::kMsg1, '\n'));
}

}  // namespace
}  // namespace zt
