// Finding the keyer: detection on every free port at once, never on a port
// another program holds.
#include "link/probe.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "sim/simulator.h"
#include "support/core_fixture.h"
#include "system/paths.h"

namespace zt {
namespace {

class ProbeTest : public testing::CoreTest {
  protected:
    void SetUp() override {
        CoreTest::SetUp();
        MakeDirs(PortsDir());
    }
    void TearDown() override {
        for (auto& s : sims) s->Stop();
        CoreTest::TearDown();
    }
    sim::Simulator& Keyer(int com, sim::Faults faults = {}, bool bootLoaderOnly = false) {
        sim::Config c;
        c.com = com;
        c.faults = faults;
        c.bootLoaderOnly = bootLoaderOnly;
        sims.push_back(std::make_unique<sim::Simulator>(c));
        std::string error;
        EXPECT_TRUE(sims.back()->Start(&error)) << error;
        return *sims.back();
    }
    // The listed ports this test made, leaving out those of the machine.
    static std::vector<PortEntry> Ours() {
        std::vector<PortEntry> ours;
        for (const PortEntry& p : ListPorts())
            if (p.number >= 41) ours.push_back(p);
        return ours;
    }

    std::vector<std::unique_ptr<sim::Simulator>> sims;
};

TEST_F(ProbeTest, EveryFreePortIsTriedAndOnlyAKeyerCountsAsAnswering) {
    Keyer(41);
    sim::Faults silent;
    silent.silent = true;
    Keyer(42, silent);
    Keyer(43, {}, true);
    sim::Simulator& held = Keyer(44);
    SerialOpenResult other = SerialOpen(held.DevicePath());  // another program has it
    ASSERT_EQ(other.outcome, PortOpen::Ok);

    const std::vector<ProbedPort> probed = ProbePorts(Ours());
    ASSERT_EQ(probed.size(), 4u);
    std::vector<int> order;
    for (const ProbedPort& p : probed) order.push_back(p.port.number);
    EXPECT_EQ(order, (std::vector<int>{41, 42, 43, 44}));

    ASSERT_TRUE(probed[0].detection);
    EXPECT_TRUE(probed[0].KeyerAnswered());
    EXPECT_EQ(probed[0].detection->chipLabel, "ZT IC: SMT");
    EXPECT_EQ(probed[0].detection->linkStatus, "ZT F/W ver 31.05");
    ASSERT_TRUE(probed[1].detection);
    EXPECT_FALSE(probed[1].KeyerAnswered());
    EXPECT_EQ(probed[1].detection->linkStatus, kNoResponseText);
    EXPECT_TRUE(probed[2].KeyerAnswered());  // only its boot loader, but a keyer
    EXPECT_EQ(probed[2].detection->outcome, DetectOutcome::BootLoaderOnly);
    EXPECT_EQ(probed[3].port.state, ProbeResult::Busy);
    EXPECT_FALSE(probed[3].detection);
    EXPECT_FALSE(probed[3].KeyerAnswered());
    EXPECT_TRUE(held.Received().empty());

    // Taken between the listing and the probe: refused, and sent nothing.
    PortEntry taken = probed[3].port;
    taken.state = ProbeResult::Present;
    const ProbedPort late = ProbePort(taken);
    ASSERT_TRUE(late.detection);
    EXPECT_EQ(late.detection->open, PortOpen::Busy);
    EXPECT_FALSE(late.KeyerAnswered());
    EXPECT_TRUE(held.Received().empty());
    SerialClose(other.device, SerialClock::now());

    // Each port is closed again: the keyer's is free for what comes next.
    EXPECT_EQ(ProbeDevice(sims[0]->DevicePath()), ProbeResult::Present);
}

// The probe gives each reply the time a keyer takes, whatever the port's
// waits are; what it leaves alone stays as it was.
TEST_F(ProbeTest, ProbeWaitsCutOnlyTheWaitsForAnAnswer) {
    const PortWaits shipped;
    const PortWaits probe = ProbeWaits(shipped);
    EXPECT_EQ(probe.readMs, kAnswerWaitMs);
    EXPECT_LT(probe.readMs, probe.readTimeoutMs);
    EXPECT_LE(probe.readTimeoutMs, shipped.readTimeoutMs);
    EXPECT_LE(probe.writeMs, kAnswerWaitMs);
    EXPECT_EQ(probe.settleMs, shipped.settleMs);
    const PortWaits shortened = ProbeWaits({50, 60, 70, 5});  // tests' own stay
    EXPECT_EQ(shortened.readMs, 60);
    EXPECT_EQ(shortened.readTimeoutMs, 70);
    EXPECT_EQ(shortened.writeMs, 50);
}

}  // namespace
}  // namespace zt
