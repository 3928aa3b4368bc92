#include "app/keyer_commands.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <set>
#include <string>

#include "link/detect.h"
#include "resources/ids.h"
#include "support/keyer_fixture.h"

namespace zt {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::KeyerTest;

const Bytes kDetection = {0, 4, 0x55, 0, 9, 0, 0x17, 0, 0x18};

class KeyerCommandsTest : public KeyerTest {
  protected:
    void SetUp() override {
        KeyerTest::SetUp();
        session.waits.storeMs = 10;
    }
    // Runs Test ZT and waits until the keyer has answered all it was sent.
    void test(ui::Window& w) {
        if (sim) sim->ClearReceived();
        ui::click(w, ids::kTestZt);
    }
    std::string text(ui::Window& w, int id) { return ui::getText(w, id); }
    // A keyer whose settings differ from the editor's in every byte.
    void keyerWithSettings(sim::Faults faults = {}) {
        if (sim) sim->Stop();
        startKeyer(Keyer(kVariantSmt, 31, 5), faults);
        sim::SettingsBytes s = sim::FactorySettings();
        s[3] = 70;                            // User 1 weight
        s[33] = 15, s[47] = 21, s[48] = 155;  // Msg 1 "CQ"
        s[32] = 17;                           // message end
        s[290] = 0x0C, s[299] = 41;           // User 1 RTTY register 2, User 2 serial low
        sim->SetSettings(s);
    }
    // Records the operation state at every repaint; the flows repaint before
    // each transfer, which blocks the window.
    void watchOperation() {
        host().onRepaint = [this](ui::Window& w) { seen.insert(text(w, ids::kOpState)); };
    }
    bool keyerHoldsTheImage() {
        const sim::SettingsBytes keyer = sim->settings();
        return std::equal(keyer.begin(), keyer.end(), session.image.begin());
    }
    std::set<std::string> seen;
};

TEST_F(KeyerCommandsTest, IdentitiesShownAsTheChipReportsThemAndABootLoaderKeepsThem) {
    ui::Window& w = openMain();
    startKeyer();
    struct Case {
        int variant, major, minor;
        const char* label;
        const char* revision;
    } cases[] = {
        {kVariantSmt, 30, 3, "ZT IC: SMT", "ZT F/W ver 30.03"},
        {kVariantDip, 30, 4, "ZT IC: DIP", "ZT F/W revision 30.04"},  // minor byte 54
        {kVariantAf, 31, 7, "ZT IC: AF", "ZT F/W revision 31.07"},    // minor byte 107
        {kVariantSmt, 31, 5, "ZT IC: SMT", "ZT F/W ver 31.05"},
        {kVariantMini, 30, 4, "ZT IC: MINI", "ZT F/W revision 30.04"},
    };
    for (const Case& c : cases) {
        sim->SetIdentity(Keyer(c.variant, c.major, c.minor));
        test(w);
        EXPECT_EQ(text(w, ids::kChipLabel), c.label);
        EXPECT_EQ(text(w, ids::kLinkStatus), c.revision);
        EXPECT_EQ(text(w, ids::kOpState), ">ZT OK");
        EXPECT_EQ(session.keyer.firmwareMajor, c.major);
        EXPECT_EQ(session.keyer.chipVariant, c.variant);
    }
    EXPECT_EQ(text(w, ids::kPotValue), "PotValue: 128");
    EXPECT_EQ(text(w, ids::kPushButton), "");  // a MINI has none
    EXPECT_EQ(text(w, ids::kSupply), "5.04 Volts");
    EXPECT_EQ(text(w, ids::kMessageLine), "");  // the start-up prompt is gone
    EXPECT_TRUE(session.port.IsOpen());         // left open for the next operation
    EXPECT_EQ(session.busy, 0);
    EXPECT_GT(host().repaints, 0);  // the window was repainted during the waits

    // Only the boot loader: the chip and its firmware stay as they were.
    sim->Stop();
    startKeyer({}, {}, true);
    session.keyer.firmwareMajor = 12;  // too old for FW Update: the boot loader opens it
    test(w);
    EXPECT_EQ(text(w, ids::kLinkStatus), "ZT Fail:No O/S");
    EXPECT_EQ(text(w, ids::kOpState), ">ZT NOS");
    EXPECT_EQ(session.keyer.chipVariant, kVariantBootLoaderOnly);
    EXPECT_EQ(text(w, ids::kChipLabel), "ZT IC: MINI");
    EXPECT_EQ(session.keyer.firmwareMajor, 12);
    for (int id : {ids::kPotValue, ids::kPushButton, ids::kSupply}) EXPECT_EQ(text(w, id), "");
    EXPECT_TRUE(ui::isEnabled(w, ids::kFwUpdate));
    EXPECT_FALSE(ui::isEnabled(w, ids::kReadZt));
}

TEST_F(KeyerCommandsTest,
       APortThatWillNotOpenIsAnErrorButtonsAfterTestOnlyGrowAndABusyTestOnlyRefreshes) {
    ui::Window& w = openMain();
    auto enabled = [&](int id) { return ui::isEnabled(w, id); };
    // Nothing on the configured port (a link to a device that is not there).
    ASSERT_EQ(symlink("/dev/zt-no-such-device", (PortsDir() + "/com9").c_str()), 0);
    test(w);
    EXPECT_EQ(text(w, ids::kLinkStatus), "ZT Fail:check com port");
    EXPECT_EQ(text(w, ids::kOpState), ">ZT ERR");
    EXPECT_FALSE(session.port.IsOpen());
    EXPECT_TRUE(enabled(ids::kReadConfigFile) && enabled(ids::kWriteConfigFile));
    EXPECT_FALSE(enabled(ids::kFwUpdate) || enabled(ids::kReadZt) || enabled(ids::kRtty));

    startKeyer(Keyer(kVariantSmt, 31, 5));
    test(w);
    EXPECT_TRUE(enabled(ids::kReadZt) && enabled(ids::kWriteZt) && enabled(ids::kRtty));

    sim::Faults f;
    f.silent = true;
    sim->SetFaults(f);
    test(w);
    EXPECT_EQ(text(w, ids::kOpState), ">ZT ERR");
    EXPECT_TRUE(enabled(ids::kReadZt) && enabled(ids::kWriteZt) && enabled(ids::kFwUpdate));

    // While another operation runs, Test only locks and refreshes.
    session.busy = 1;
    session.statusCountdown = 0;
    test(w);
    EXPECT_EQ(sim->Received(), Bytes{});
    EXPECT_EQ(session.statusCountdown, 0);  // not armed when skipped
    EXPECT_TRUE(enabled(ids::kTestZt));
}

TEST_F(KeyerCommandsTest, ALineThatHangsUpDuringTestIsAnErrorAndTheTooltipSaysWhy) {
    ui::Window& w = openMain();
    sim::Faults f;
    f.hangUpAfter = 11;  // echo, revision, variant and pot answered; then the line drops
    startKeyer(Keyer(kVariantSmt, 31, 5), f);
    test(w);
    EXPECT_EQ(text(w, ids::kOpState), ">ZT ERR");  // not OK: the readings fell short
    EXPECT_EQ(text(w, ids::kPotValue), "PotValue: 128");
    EXPECT_EQ(text(w, ids::kPushButton), "PB:0");
    EXPECT_EQ(ui::control(w, ids::kLinkStatus).tip, "the line hung up");
    sim->Stop();

    ui::click(w, ids::kExit);
    EXPECT_FALSE(session.port.IsOpen());

    // The next run finds nothing and says why in the same place.
    ui::Window& again = (ui::closeWindow(w), openMain());
    test(again);
    EXPECT_NE(ui::control(again, ids::kLinkStatus).tip, "");
    EXPECT_NE(ui::control(again, ids::kLinkStatus).tip, "the line hung up");
}

// Read ZT and Write ZT: the window's states, texts and editor around the
// transfers, whose bytes are tests/link/operations_test.cpp's.
TEST_F(KeyerCommandsTest, ReadFillsTheEditorAndWriteStoresItIntoTheImageAndSendsIt) {
    ui::Window& w = openMain();
    keyerWithSettings();
    watchOperation();
    ui::sendCommand(w, ids::kReadZt);
    EXPECT_TRUE(keyerHoldsTheImage());
    EXPECT_EQ(text(w, ids::kWeight), "70");
    EXPECT_EQ(text(w, ids::kMsg1), "CQ");
    EXPECT_TRUE(seen.count(">Reading"));
    EXPECT_EQ(text(w, ids::kOpState), ">Done");
    EXPECT_TRUE(ui::isEnabled(w, ids::kWriteZt));
    EXPECT_EQ(session.busy, 0);

    ui::click(w, ids::kResetDefaults);
    ui::setText(w, ids::kMaxWpm, "44");
    ui::setText(w, ids::kMsg1, "TEST");
    ui::sendCommand(w, ids::kWriteZt);
    EXPECT_EQ(session.image[7], 39);  // MaxWpm 44 over the default minimum of 5
    EXPECT_TRUE(keyerHoldsTheImage());
    EXPECT_TRUE(seen.count("Writing"));
    EXPECT_EQ(text(w, ids::kOpState), "Done");
    EXPECT_EQ(host().announcements,
              (std::vector<std::string>{"ZT F/W ver 31.05, >Done", "ZT F/W ver 31.05, Done"}));
}

// A read that falls short leaves the image and the editor; a write the line
// does not hold says so, and why in the tooltip.
TEST_F(KeyerCommandsTest, AReadThatFallsShortOrAWriteTheLineDropsIsAnErrorThatSaysWhy) {
    ui::Window& w = openMain();
    session.image.fill(0x77);
    ui::setText(w, ids::kWeight, "unchanged");
    sim::Faults f;
    f.truncateReplies = 100;  // detection's one-byte replies still pass
    keyerWithSettings(f);
    ui::sendCommand(w, ids::kReadZt);
    EXPECT_EQ(session.image[3], 0x77);
    EXPECT_EQ(text(w, ids::kWeight), "unchanged");
    EXPECT_EQ(host().announcements,
              std::vector<std::string>{"ZT Fail:settings read short, >ZT ERR"});

    f = {};
    f.hangUpAfter = 20;  // detection, the extension command and part of its block
    keyerWithSettings(f);
    ui::click(w, ids::kResetDefaults);
    ui::sendCommand(w, ids::kWriteZt);
    EXPECT_EQ(text(w, ids::kOpState), ">ZT ERR");
    EXPECT_EQ(text(w, ids::kLinkStatus), "ZT Fail:settings not sent");
    EXPECT_EQ(ui::control(w, ids::kLinkStatus).tip, "the line hung up");
}

// The editor's check (tests/app/focus_test.cpp) comes after detection: a
// refusal sends nothing more and its box alone tells it.
TEST_F(KeyerCommandsTest, AnInvalidValueStopsTheWriteAfterDetection) {
    ui::Window& w = openMain();
    keyerWithSettings();
    ui::click(w, ids::kResetDefaults);
    ui::setText(w, ids::kRatio, "70");
    ui::setText(w, ids::kOpState, "before");
    ui::sendCommand(w, ids::kWriteZt);
    EXPECT_EQ(host().messageBoxes.back().text, "Ratio must be between 33 and 66");
    EXPECT_EQ(sim->Received(), kDetection);
    EXPECT_EQ(text(w, ids::kOpState), "before");
    EXPECT_TRUE(host().announcements.empty());
    EXPECT_EQ(session.busy, 0);
}

TEST_F(KeyerCommandsTest, WithNoKeyerNothingIsTransferredAndTheImageStays) {
    ui::Window& w = openMain();
    session.comPortNumber = 49;  // nothing there
    session.image.fill(0x42);
    for (int id : {ids::kReadZt, ids::kWriteZt}) {
        ui::sendCommand(w, id);
        EXPECT_EQ(text(w, ids::kOpState), ">ZT ERR");
        EXPECT_NE(text(w, ids::kLinkStatus).find("ZT Fail:"), std::string::npos);
        EXPECT_EQ(session.image[5], 0x42);
    }
    // A keyer swapped since its Test for one without the settings commands
    // still gets them, as the window has always sent them.
    session.comPortNumber = testing::kSimCom;
    startKeyer(Keyer(kVariantSmt, 30, 5));
    ui::sendCommand(w, ids::kReadZt);
    EXPECT_EQ(sim->Received(), (Bytes{0, 4, 0x55, 0, 9, 0, 0x17, 0, 0x18, 0, 0x0C, 0, 0x1A}));
}

}  // namespace
}  // namespace zt
