// Detection in the core alone: a port and a virtual keyer, no window and no
// host. Test ZT's texts and buttons are tests/app/keyer_commands_test.cpp's.
#include "link/detect.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "sim/simulator.h"
#include "support/core_fixture.h"
#include "system/paths.h"

namespace zt {
namespace {

constexpr int kSimCom = 9;

class DetectTest : public testing::CoreTest {
  protected:
    void SetUp() override {
        CoreTest::SetUp();
        MakeDirs(PortsDir());
    }
    void TearDown() override {
        if (sim) sim->Stop();
        CoreTest::TearDown();
    }
    void startKeyer(const sim::Identity& id, const sim::Faults& faults) {
        sim::Config c;
        c.identity = id;
        c.faults = faults;
        c.com = kSimCom;
        sim = std::make_unique<sim::Simulator>(c);
        std::string error;
        ASSERT_TRUE(sim->Start(&error)) << error;
    }
    // Waits shortened so a silent keyer costs a fraction of a second.
    static constexpr PortWaits kShortWaits = {200, 300, 350, 5};

    std::unique_ptr<sim::Simulator> sim;
};

TEST_F(DetectTest, DetectionNeedsNoWindowAndKeepsWhatTheKeyerDidNotSay) {
    sim::Faults f;
    f.hangUpAfter = 3;  // the echo is answered, nothing after it
    sim::Identity dip;
    dip.variant = kVariantDip;
    dip.major = 31;
    dip.minor = 2;
    startKeyer(dip, f);
    Port port;
    port.waits() = kShortWaits;
    const KeyerIdentity known{kVariantAf, 33, 107};
    Detection d = DetectKeyer(port, {kSimCom, {}}, known);
    // The line that dropped is why nothing more came: no chip is judged by
    // the revision bytes it kept from coming.
    EXPECT_EQ(d.outcome, DetectOutcome::Failed);
    EXPECT_EQ(d.open, PortOpen::Ok);
    EXPECT_EQ(d.linkStatus, "ZT Fail:no response");
    EXPECT_EQ(d.identity.firmwareMajor, 33);  // kept: the revision bytes never came
    EXPECT_EQ(d.identity.firmwareMinor, 107);
    EXPECT_EQ(d.identity.chipVariant, kVariantAf);
    EXPECT_EQ(d.chipLabel, "");
    EXPECT_EQ(d.portError, "the line hung up");
    EXPECT_TRUE(port.IsOpen());  // detection never closes

    Port other;
    d = DetectKeyer(other, {33, {}}, known);  // nothing behind COM33 here
    EXPECT_EQ(d.outcome, DetectOutcome::Failed);
    EXPECT_EQ(d.open, PortOpen::Missing);
    EXPECT_EQ(d.linkStatus, "ZT Fail:check com port");
    EXPECT_EQ(d.chipLabel, "");
    EXPECT_FALSE(d.portError.empty());
    EXPECT_EQ(d.identity.firmwareMajor, 33);
}

TEST(SupplyText, ReadingsAndTheZeroReading) {
    EXPECT_EQ(SupplyText(52), "5.04 Volts");
    EXPECT_EQ(SupplyText(80), "3.28 Volts");
    EXPECT_EQ(SupplyText(0), "No reading");
}

}  // namespace
}  // namespace zt
