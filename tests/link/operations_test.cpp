// The keyer operations in the core alone, against the virtual keyer on its
// device path: what goes on the line around the caller's step after
// detection, and what the records say. The window's and ztcli's showing of
// them is tests/app's and tests/cli's.
#include "link/operations.h"

#include <gtest/gtest.h>

#include "sim/simulator.h"
#include "support/core_fixture.h"

namespace zt {
namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes kDetection = {0, 4, 0x55, 0, 9, 0, 0x17, 0, 0x18};

class OperationsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sim.Start());
        target.device = sim.DevicePath();
    }
    // Records what the keyer had taken when detection was over, and goes on or not.
    AfterDetection Watch(bool goOn) {
        return [this, goOn](const Detection& d) {
            detected = d;
            sentByThen = sim.Received();
            return goOn;
        };
    }

    sim::Simulator sim;
    KeyerWaits waits = testing::ShortWaits();
    Port port;
    PortTarget target;
    std::optional<Detection> detected;
    Bytes sentByThen;
};

// The caller's step comes between detection and the readouts; the readings
// come as the keyer sent them, a 0 as a reading of its own.
TEST_F(OperationsTest, TestReadsTheLiveValuesAfterTheCallersStep) {
    sim::Identity id;
    id.pot = 0;
    sim.SetIdentity(id);
    const TestResult t = TestKeyer(port, target, {}, waits, Watch(true));
    EXPECT_EQ(sentByThen, kDetection);
    ASSERT_TRUE(detected && t.values);
    EXPECT_EQ(detected->linkStatus, "ZT F/W ver 31.05");
    Bytes all = kDetection;
    all.insert(all.end(), {0, 6, 0, 5, 0, 0x15});
    EXPECT_EQ(sim.Received(), all);
    EXPECT_EQ(t.values->pot, std::optional<std::uint8_t>(0));
    EXPECT_EQ(t.values->pushbutton, 255);
    EXPECT_EQ(t.values->supply, 52);

    sim.ClearReceived();
    EXPECT_FALSE(TestKeyer(port, target, {}, waits, Watch(false)).values);
    EXPECT_EQ(sim.Received(), kDetection);
}

// The read-back names every byte that came back other than it was written.
TEST_F(OperationsTest, TheReadBackSaysWhichBytesCameBackOtherThanWritten) {
    const sim::SettingsBytes kept = sim.settings();
    SettingsImage written{};
    std::copy(kept.begin(), kept.end(), written.begin());
    written[1] = 28;
    written[299] = 41;
    ASSERT_EQ(port.Open(target), PortOpen::Ok);
    ReadBack back = ReadBackSettings(port, waits, written);
    EXPECT_EQ(sim.Received(), (Bytes{0, 0x0C, 0, 0x1A}));
    EXPECT_EQ(back.transfer, TransferOutcome::Complete);
    ASSERT_EQ(back.differences.size(), 2u);
    EXPECT_EQ(back.differences[0].offset, 1);
    EXPECT_EQ(back.differences[0].wrote, 28);
    EXPECT_EQ(back.differences[0].read, kept[1]);
    EXPECT_EQ(back.differences[1].offset, 299);
    EXPECT_EQ(back.differences[1].read, kept[299]);

    sim::SettingsBytes same;
    std::copy(written.begin(), written.end(), same.begin());
    sim.SetSettings(same);
    back = ReadBackSettings(port, waits, written);
    EXPECT_TRUE(back.differences.empty());
    EXPECT_EQ(back.read, written);
}

}  // namespace
}  // namespace zt
