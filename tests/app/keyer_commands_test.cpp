#include "app/keyer_commands.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "link/detect.h"
#include "resources/ids.h"
#include "support/keyer_fixture.h"

namespace zt {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::KeyerTest;

class DetectTest : public KeyerTest {
  protected:
    // Runs Test ZT and waits until the keyer has answered all it was sent.
    void test(ui::Window& w) {
        if (sim) sim->ClearReceived();
        ui::click(w, ids::kTestZt);
    }
    std::string text(ui::Window& w, int id) { return ui::getText(w, id); }
};

TEST_F(DetectTest, IdentitiesShownAsTheChipReportsThem) {
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
        EXPECT_EQ(appState.keyer.firmwareMajor, c.major);
        EXPECT_EQ(appState.keyer.chipVariant, c.variant);
    }
    EXPECT_EQ(text(w, ids::kPotValue), "PotValue: 128");
    EXPECT_EQ(text(w, ids::kPushButton), "");  // a MINI has none
    EXPECT_EQ(text(w, ids::kSupply), "5.04 Volts");
    EXPECT_EQ(text(w, ids::kMessageLine), "");  // the start-up prompt is gone
    EXPECT_TRUE(keyerPort.IsOpen());            // left open for the next operation
    EXPECT_EQ(appState.busy, 0);
    EXPECT_GT(host().repaints, 0);  // the window was repainted during the waits
}

TEST_F(DetectTest, APortThatWillNotOpenIsAnError) {
    ui::Window& w = openMain();
    // Nothing on the configured port (a link to a device that is not there).
    ASSERT_EQ(symlink("/dev/zt-no-such-device", (PortsDir() + "/com9").c_str()), 0);
    test(w);
    EXPECT_EQ(text(w, ids::kLinkStatus), "ZT Fail:check com port");
    EXPECT_EQ(text(w, ids::kOpState), ">ZT ERR");
    EXPECT_FALSE(keyerPort.IsOpen());
}

TEST_F(DetectTest, BootLoaderOnlyKeyer) {
    ui::Window& w = openMain();
    startKeyer({}, {}, true);
    ui::setText(w, ids::kChipLabel, "ZT IC: AF");
    appState.keyer.firmwareMajor = 12;
    test(w);
    EXPECT_EQ(text(w, ids::kLinkStatus), "ZT Fail:No O/S");
    EXPECT_EQ(text(w, ids::kOpState), ">ZT NOS");
    EXPECT_EQ(appState.keyer.chipVariant, kVariantBootLoaderOnly);
    EXPECT_EQ(text(w, ids::kChipLabel), "ZT IC: AF");
    EXPECT_EQ(appState.keyer.firmwareMajor, 12);
    for (int id : {ids::kPotValue, ids::kPushButton, ids::kSupply}) EXPECT_EQ(text(w, id), "");
    EXPECT_TRUE(ui::isEnabled(w, ids::kFwUpdate));
    EXPECT_FALSE(ui::isEnabled(w, ids::kReadZt));
}

TEST_F(DetectTest, ButtonsAfterTestOnlyGrow) {
    ui::Window& w = openMain();
    auto enabled = [&](int id) { return ui::isEnabled(w, id); };
    ASSERT_EQ(symlink("/dev/zt-no-such-device", (PortsDir() + "/com9").c_str()), 0);
    test(w);  // no keyer at all
    EXPECT_TRUE(enabled(ids::kReadConfigFile) && enabled(ids::kWriteConfigFile));
    EXPECT_FALSE(enabled(ids::kFwUpdate) || enabled(ids::kReadZt) || enabled(ids::kRtty));

    startKeyer(Keyer(kVariantSmt, 30, 3));
    test(w);
    EXPECT_TRUE(enabled(ids::kFwUpdate));
    EXPECT_FALSE(enabled(ids::kReadZt) || enabled(ids::kWriteZt) || enabled(ids::kRtty));

    sim->SetIdentity(Keyer(kVariantSmt, 31, 5));
    test(w);
    EXPECT_TRUE(enabled(ids::kReadZt) && enabled(ids::kWriteZt) && enabled(ids::kRtty));

    sim::Faults f;
    f.silent = true;
    sim->SetFaults(f);
    test(w);
    EXPECT_EQ(text(w, ids::kOpState), ">ZT ERR");
    EXPECT_TRUE(enabled(ids::kReadZt) && enabled(ids::kWriteZt) && enabled(ids::kFwUpdate));
    EXPECT_TRUE(enabled(ids::kTestZt));
}

TEST_F(DetectTest, BusyTestOnlyLocksAndRefreshes) {
    ui::Window& w = openMain();
    startKeyer();
    appState.busy = 1;
    test(w);
    EXPECT_EQ(sim->Received(), Bytes{});
    EXPECT_EQ(statusCountdown, 0);  // not armed when skipped
    EXPECT_TRUE(ui::isEnabled(w, ids::kTestZt));
}

TEST_F(DetectTest, ALineThatHangsUpOrStallsDuringTestIsAnErrorAndTheTooltipSaysWhy) {
    ui::Window& w = openMain();
    sim::Faults f;
    f.hangUpAfter = 11;  // echo, revision, variant and pot answered; then the line drops
    startKeyer(Keyer(kVariantSmt, 31, 5), f);
    test(w);
    EXPECT_EQ(text(w, ids::kOpState), ">ZT ERR");  // not OK: the readings fell short
    EXPECT_EQ(text(w, ids::kPotValue), "PotValue: 128");
    EXPECT_EQ(text(w, ids::kPushButton), "PB:0");
    EXPECT_EQ(ui::control(w, ids::kLinkStatus).tip, "the line hung up");

    // A line that stalls after detection: the readings never went out.
    sim->Stop();
    f = {};
    f.stallAfter = 9;
    startKeyer(Keyer(kVariantSmt, 31, 5), f);
    test(w);
    EXPECT_EQ(text(w, ids::kOpState), ">ZT ERR");
    EXPECT_EQ(ui::control(w, ids::kLinkStatus).tip, "nothing went out in 200 ms");
    sim->Stop();

    ui::click(w, ids::kExit);
    EXPECT_FALSE(keyerPort.IsOpen());

    // The next run finds nothing and says why in the same place.
    ui::Window& again = (ui::closeWindow(w), openMain());
    test(again);
    EXPECT_EQ(text(again, ids::kLinkStatus), "ZT Fail:check com port");
    EXPECT_NE(ui::control(again, ids::kLinkStatus).tip, "");
    EXPECT_NE(ui::control(again, ids::kLinkStatus).tip, "the line hung up");
}

}  // namespace
}  // namespace zt
