#include "app/message_editor.h"

#include <gtest/gtest.h>

#include <string>

#include "resources/ids.h"
#include "settings/messages.h"
#include "support/app_fixture.h"

namespace zt {
namespace {

using testing::AppTest;

TEST_F(AppTest, MessageEditsGoThroughTheImageAndARefusalShowsWhy) {
    ui::Window& w = openMain();
    ui::setText(w, ids::kMsg1, "cq de dl1abc");
    ui::setText(w, ids::kMsg7 + 2, "73;");
    ui::setText(w, ids::kCallUser2, "DL1ABC/M");
    ASSERT_TRUE(StoreMessageEdits(w));
    EXPECT_EQ(appState.image[kMessagePointerOffset + 8], kFirstPointer + 12);
    for (int id : kMessageEdits) ui::setText(w, id, "x");
    FillMessageEdits(w);
    EXPECT_EQ(ui::getText(w, ids::kMsg1), "CQ DE DL1ABC");
    EXPECT_EQ(ui::getText(w, ids::kMsg7 + 2), "73!");
    EXPECT_EQ(ui::getText(w, ids::kCallUser2), "DL1ABC/M");
    EXPECT_EQ(ui::getText(w, ids::kMsg1 + 1), "");
    EXPECT_TRUE(host().messageBoxes.empty());

    const SettingsImage before = appState.image;
    ui::paste(w, ids::kMsg1 + 3, std::string(230, 'E'));  // pasting is not filtered
    EXPECT_FALSE(StoreMessageEdits(w));
    ASSERT_EQ(host().messageBoxes.size(), 1u);
    const ui::MessageBoxRecord& box = host().messageBoxes[0];
    EXPECT_EQ(box.text, "The messages hold 253 characters, 12 too many: the keyer stores 241.");
    EXPECT_EQ(box.caption, "Error");
    EXPECT_EQ(box.icon, ui::Icon::None);
    EXPECT_EQ(box.owner, &w);
    EXPECT_EQ(appState.image, before);
}

TEST_F(AppTest, BankButtonsShowABankKeepTheTextsAndMarkTheImage) {
    ui::Window& w = openMain();
    appState.image[14] = 0x9F;  // the other bits of the register stay
    ui::setText(w, ids::kMsg1, "CQ");
    SelectBank(w, Bank::Two);
    EXPECT_EQ(appState.image[14], 0xDF);
    EXPECT_EQ(shownBank, Bank::Two);
    EXPECT_TRUE(ui::isChecked(w, ids::kBank2));
    EXPECT_FALSE(ui::isChecked(w, ids::kBank1));
    EXPECT_TRUE(ui::isVisible(w, ids::kMsg7));
    EXPECT_FALSE(ui::isVisible(w, ids::kMsg1));
    SelectBank(w, Bank::One);
    EXPECT_EQ(appState.image[14], 0x9F);
    EXPECT_EQ(shownBank, Bank::One);
    EXPECT_TRUE(ui::isChecked(w, ids::kBank1));
    EXPECT_FALSE(ui::isChecked(w, ids::kBank2));
    EXPECT_TRUE(ui::isVisible(w, ids::kMsg1));
    EXPECT_EQ(ui::getText(w, ids::kMsg1), "CQ");
}

TEST_F(AppTest, KeyFilterRefusesCharactersWithoutACodeButNotEditingKeys) {
    ui::Window& w = openMain();
    const int edit = ids::kMsg1;
    EXPECT_FALSE(ui::typeChar(w, edit, '\t'));
    EXPECT_FALSE(ui::typeChar(w, edit, 0xE9));  // é
    EXPECT_FALSE(ui::typeChar(w, ids::kCallUser1, 0x20AC));
    EXPECT_TRUE(ui::typeChar(w, edit, 'a'));
    EXPECT_TRUE(ui::typeChar(w, edit, 8));
    EXPECT_EQ(ui::getText(w, edit), "");
    // Ctrl+C, Ctrl+V, Ctrl+X, Ctrl+A reach the edit even when the store is full.
    ui::setText(w, edit, std::string(241, 'E'));
    for (int key : {3, 22, 24, 1, 8}) EXPECT_TRUE(ui::acceptsTypedChar(w, edit, key)) << key;
    EXPECT_FALSE(ui::acceptsTypedChar(w, edit, '\n'));
}

}  // namespace
}  // namespace zt
