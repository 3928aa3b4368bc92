#include "app/rtty_dialog.h"

#include <gtest/gtest.h>

#include <string>

#include "resources/ids.h"
#include "support/app_fixture.h"

namespace zt {
namespace {

using testing::AppTest;

// Runs the dialog over the main window; the script must end it.
void RunRtty(ui::ScriptedHost& host, ui::Window& owner, ui::ScriptedHost::Script script) {
    host.onModal(ids::kRttyDialog, std::move(script));
    RttyCommand(owner);
    EXPECT_EQ(host.unscripted, 0);
}

std::string Shown(ui::Window& w, int list) {
    return ui::control(w, list).text;
}

TEST_F(AppTest, RttyShowsTheEditedUsersRegistersAndOkWritesThemBackWhole) {
    ui::Window& main = openMain();
    session.editedUser = User::Two;
    session.image[295] = 0x8A;
    session.image[296] = 0x0C;
    RunRtty(host(), main, [](ui::Window& w) {
        EXPECT_TRUE(ui::isChecked(w, ids::kRttyEnable) && !ui::isChecked(w, ids::kRttyReverse));
        EXPECT_EQ(Shown(w, ids::kRttyBaud) + Shown(w, ids::kRttyStopBits) +
                      Shown(w, ids::kRttyDiddleIs) + Shown(w, ids::kRttyUsos),
                  "751.5LtrsOff");
        ui::click(w, ids::kRttyOk);
    });
    EXPECT_EQ(session.image[295], 0x82);  // bit 3 belongs to no control
    EXPECT_EQ(session.image[296], 0x0C);

    session.editedUser = User::One;
    session.image[289] = 0x33;
    RunRtty(host(), main, [](ui::Window& w) {
        ui::click(w, ids::kRttyReverse);
        ui::selectItem(w, ids::kRttyUsos, 1);
        ui::comboSelect(w, ids::kRttyBaud, -1);  // the text part was typed over
        ui::comboSelect(w, ids::kRttyStopBits, -1);
        ui::click(w, ids::kRttyOk);
    });
    EXPECT_EQ(session.image[289], 0x37);  // the old baud rate stays
    EXPECT_EQ(session.image[290], 0x09);  // no selection counts as not the first entry
    EXPECT_EQ(session.image[295], 0x82);
}

// Enter is Ok: the operator's edits are kept, never lost to it.
TEST_F(AppTest, RttyCancelEscapeAndTheCloseBoxChangeNothingEnterIsOk) {
    ui::Window& main = openMain();
    session.image[289] = 0x8A;
    const SettingsImage before = session.image;
    void (*leave[])(ui::Window&) = {[](ui::Window& w) { ui::click(w, ids::kRttyCancel); },
                                    ui::pressEscape, ui::closeBox, ui::pressEnter};
    for (auto how : leave) {
        session.image = before;
        RunRtty(host(), main, [how](ui::Window& w) {
            ui::click(w, ids::kRttyFskMap);
            ui::selectItem(w, ids::kRttyStopBits, 1);
            how(w);
            EXPECT_TRUE(w.ended);
        });
        EXPECT_EQ(session.image != before, how == ui::pressEnter);
    }
}

}  // namespace
}  // namespace zt
