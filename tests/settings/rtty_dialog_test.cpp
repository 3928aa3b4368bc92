#include "app/rtty_dialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "resources/ids.h"
#include "support/app_fixture.h"

namespace zt {
namespace {

using testing::AppTest;

class RttyDialog : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        openMain();
    }
    // Runs the dialog; the script must end it.
    void run(std::function<void(ui::Window&)> script) {
        host().onModal(ids::kRttyDialog, std::move(script));
        RttyCommand(*main);
        EXPECT_EQ(host().unscripted, 0);
    }
    std::string shown(ui::Window& w, int list) {
        const int at = ui::comboSelection(w, list);
        return at < 0 ? "" : ui::control(w, list).items[at];
    }
};

TEST_F(RttyDialog, ShowsTheEditedUsersRegistersAndOkWritesThemBackWhole) {
    editedUser = User::Two;
    appState.image[295] = 0x8A;
    appState.image[296] = 0x0C;
    appState.image[289] = 0x33;
    run([&](ui::Window& w) {
        EXPECT_TRUE(ui::isChecked(w, ids::kRttyEnable));
        for (int box : {ids::kRttyDiddle, ids::kRttyFskMap, ids::kRttyAutoCrlf, ids::kRttyReverse})
            EXPECT_FALSE(ui::isChecked(w, box)) << box;
        EXPECT_EQ(shown(w, ids::kRttyBaud), "75");
        EXPECT_EQ(shown(w, ids::kRttyStopBits), "1.5");
        EXPECT_EQ(shown(w, ids::kRttyDiddleIs), "Ltrs");
        EXPECT_EQ(shown(w, ids::kRttyUsos), "Off");
        EXPECT_EQ(ui::comboCount(w, ids::kRttyBaud), 4);
        ui::click(w, ids::kRttyOk);
    });
    EXPECT_EQ(appState.image[295], 0x82);  // bit 3 belongs to no control
    EXPECT_EQ(appState.image[296], 0x0C);
    EXPECT_EQ(appState.image[289], 0x33);

    editedUser = User::One;
    run([&](ui::Window& w) {
        ui::click(w, ids::kRttyReverse);
        ui::click(w, ids::kRttyDiddle);
        ui::selectItem(w, ids::kRttyUsos, 1);
        ui::click(w, ids::kRttyOk);
    });
    EXPECT_EQ(appState.image[289], 0x33 ^ 0x04 ^ 0x40);
    EXPECT_EQ(appState.image[290], 0x01);
}

TEST_F(RttyDialog, CancelEnterAndTheCloseBoxChangeNothingEscapeStaysOpen) {
    appState.image[289] = 0x8A;
    appState.image[290] = 0x0C;
    const SettingsImage before = appState.image;
    void (*leave[])(ui::Window&) = {[](ui::Window& w) { ui::click(w, ids::kRttyCancel); },
                                    ui::pressEnter, ui::closeBox};
    for (auto how : leave) {
        run([&](ui::Window& w) {
            ui::click(w, ids::kRttyEnable);
            ui::click(w, ids::kRttyFskMap);
            ui::selectItem(w, ids::kRttyBaud, 0);
            ui::selectItem(w, ids::kRttyStopBits, 0);
            ui::pressEscape(w);
            EXPECT_FALSE(w.ended);
            how(w);
        });
        EXPECT_EQ(appState.image, before);
    }
}

TEST_F(RttyDialog, OkWithoutABaudRateKeepsTheOldRateAndTheOtherBits) {
    appState.image[289] = 0xA9;  // enable, FSK map, bit 3, 50 baud
    run([&](ui::Window& w) {
        ui::click(w, ids::kRttyDiddle);
        ui::comboSelect(w, ids::kRttyBaud, -1);  // the text part was typed over
        ui::comboSelect(w, ids::kRttyUsos, -1);
        ui::click(w, ids::kRttyOk);
    });
    EXPECT_EQ(appState.image[289], 0xE1);
    EXPECT_EQ(appState.image[290], 0x01);  // no selection counts as "On"
}

}  // namespace
}  // namespace zt
