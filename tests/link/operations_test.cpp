// The keyer operations in the core alone, against the virtual keyer on its
// device path: what goes on the line, around the caller's step after
// detection, with which waits, and what the records say. The window's and
// ztcli's showing of them is tests/app's and tests/cli's.
#include "link/operations.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "sim/simulator.h"
#include "support/core_fixture.h"

namespace zt {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

const Bytes kDetection = {0, 4, 0x55, 0, 9, 0, 0x17, 0, 0x18};

Bytes Joined(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

sim::Identity Keyer(int variant, int major, int minor) {
    sim::Identity id;
    id.variant = variant;
    id.major = major;
    id.minor = minor;
    return id;
}

class OperationsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // The keyer answers at once: a tenth of a second is plenty here.
        waits.full = {.writeMs = 100, .readMs = 100, .readTimeoutMs = 150, .settleMs = 5};
        waits.detection = waits.full;
        start({});
    }
    // A keyer of its own in place of the one before.
    void start(const sim::Config& config) {
        if (sim) sim->Stop();
        sim = std::make_unique<sim::Simulator>(config);
        ASSERT_TRUE(sim->Start());
        target.device = sim->DevicePath();
    }
    void startBootLoaderOnly() {
        sim::Config config;
        config.bootLoaderOnly = true;
        start(config);
    }
    // Records what the keyer had taken when detection was over, and goes on or not.
    AfterDetection Watch(bool goOn) {
        return [this, goOn](const Detection& d) {
            detected = d;
            sentByThen = sim->Received();
            return goOn;
        };
    }
    // The keyer's settings as the host reads them.
    SettingsImage KeyerSettings() {
        const sim::SettingsBytes kept = sim->settings();
        SettingsImage image{};
        std::copy(kept.begin(), kept.end(), image.begin());
        return image;
    }

    std::unique_ptr<sim::Simulator> sim;
    KeyerWaits waits = testing::ShortWaits();
    Port port;
    PortTarget target;
    std::optional<Detection> detected;
    Bytes sentByThen;
};

// The caller's step comes between detection and the readouts; the readings
// come as the keyer sent them, a 0 as a reading of its own. 30.03 predates
// the variant query; a MINI has no push-button readout. A line that fails
// during the readings is why they fell short (one that stalls: tests/cli).
TEST_F(OperationsTest, TestReadsTheLiveValuesAfterTheCallersStepOrWhyTheyFellShort) {
    sim::Identity id;
    id.pot = 0;
    sim->SetIdentity(id);
    const TestResult t = TestKeyer(port, target, {}, waits, Watch(true));
    EXPECT_EQ(sentByThen, kDetection);
    ASSERT_TRUE(detected && t.values);
    EXPECT_EQ(detected->linkStatus, "ZT F/W ver 31.05");
    EXPECT_EQ(sim->Received(), Joined(kDetection, {0, 6, 0, 5, 0, 0x15}));
    EXPECT_EQ(t.values->pot, std::optional<std::uint8_t>(0));
    EXPECT_EQ(t.values->pushbutton, 255);
    EXPECT_EQ(t.values->supply, 52);

    sim->ClearReceived();
    EXPECT_FALSE(TestKeyer(port, target, {}, waits, Watch(false)).values);
    EXPECT_EQ(sim->Received(), kDetection);

    const std::pair<sim::Identity, Bytes> older[] = {
        {Keyer(kVariantSmt, 30, 3), {0, 4, 0x55, 0, 9, 0, 0x17, 0, 6, 0, 5, 0, 0x15}},
        {Keyer(kVariantMini, 30, 4), Joined(kDetection, {0, 6, 0, 0x15})},
    };
    for (const auto& [keyer, bytes] : older) {
        sim->SetIdentity(keyer);
        sim->ClearReceived();
        const TestResult r = TestKeyer(port, target, {}, waits);
        EXPECT_EQ(sim->Received(), bytes);
        ASSERT_TRUE(r.values);
        EXPECT_EQ(r.values->hasPushbutton, keyer.variant != kVariantMini);
    }

    waits = testing::ShortWaits();  // time for the hang-up to be seen
    start({});
    sim::Faults f;
    f.hangUpAfter = 11;  // echo, revision, variant and pot answered; then the line drops
    sim->SetFaults(f);
    const TestResult cut = TestKeyer(port, target, {}, waits);
    ASSERT_TRUE(cut.values);
    EXPECT_EQ(cut.values->pot, 128);
    EXPECT_FALSE(cut.values->pushbutton || cut.values->supply);
    EXPECT_EQ(cut.values->failure, "the line hung up");
}

// A detection that finds no firmware ends the operation: the caller's step
// never comes, nothing more is sent, and the record says why. What the keyer
// did not say keeps the identity from before.
TEST_F(OperationsTest, DetectionThatFindsNoFirmwareEndsTheOperation) {
    sim::Faults silent, badEcho;
    silent.silent = true;
    badEcho.echoReply = 0x00;
    const struct {
        sim::Faults faults;
        sim::Identity identity;
        const char* linkStatus;
        Bytes sent;
    } cases[] = {
        {silent, {}, "ZT Fail:no response", {0, 4, 0x55}},
        {badEcho, {}, "ZT Fail:echo mismatch", {0, 4, 0x55}},
        {{}, Keyer(kVariantSmt, 29, 9), "Only supports ZT3", {0, 4, 0x55, 0, 9, 0, 0x17}},
    };
    const KeyerIdentity known{kVariantDip, 31, 52};
    for (const auto& c : cases) {
        sim->SetFaults(c.faults);
        sim->SetIdentity(c.identity);
        sim->ClearReceived();
        detected.reset();
        const TestResult t = TestKeyer(port, target, known, waits, Watch(true));
        EXPECT_EQ(t.detection.outcome, DetectOutcome::Failed) << c.linkStatus;
        EXPECT_EQ(t.detection.linkStatus, c.linkStatus);
        EXPECT_EQ(t.detection.chipLabel, "");
        EXPECT_EQ(t.detection.identity.chipVariant, kVariantDip);
        EXPECT_FALSE(detected || t.values);
        EXPECT_EQ(sim->Received(), c.sent) << c.linkStatus;
    }
    // A variant that does not come names none; the revision comes as sent.
    sim::Faults noVariant;
    noVariant.noVariantReply = true;
    sim->SetFaults(noVariant);
    sim::Identity odd = Keyer(kVariantSmt, 31, 0);
    odd.minorByte = 5;
    sim->SetIdentity(odd);
    const Detection d = TestKeyer(port, target, known, waits).detection;
    EXPECT_EQ(d.identity.chipVariant, kVariantUnknown);
    EXPECT_EQ(d.chipLabel, "ZT IC: ?");
    EXPECT_EQ(d.linkStatus, "ZT F/W revision 31.-145");

    // Only the boot loader: Test reads nothing, and a settings transfer
    // refuses with a reason of its own.
    startBootLoaderOnly();
    const TestResult boot = TestKeyer(port, target, known, waits, Watch(true));
    EXPECT_EQ(boot.detection.outcome, DetectOutcome::BootLoaderOnly);
    EXPECT_EQ(boot.detection.linkStatus, "ZT Fail:No O/S");
    EXPECT_EQ(boot.detection.identity.chipVariant, kVariantBootLoaderOnly);
    EXPECT_EQ(boot.detection.identity.firmwareMajor, 31);
    SettingsImage image{};
    const TransferResult r = WriteKeyer(port, target, {}, waits, image, Watch(true));
    EXPECT_EQ(r.transfer, TransferOutcome::BootLoaderOnly);
    EXPECT_EQ(*SettingsRefusal(r.detection), TransferOutcome::BootLoaderOnly);
    EXPECT_STREQ(TransferText(*r.transfer), "only the keyer's boot loader answered");
    EXPECT_FALSE(detected || boot.values);
    EXPECT_EQ(sim->Received(), (Bytes{0, 4, 0x55, 0, 4, 0x55}));
}

// Detection's waits while the keyer is looked for, the full ones after; the
// port keeps those. The window gives detection the full ones too.
TEST_F(OperationsTest, DetectionHasItsOwnWaitsAndTheRestTheFullOnes) {
    std::vector<int> readWaits;  // as they stood while a transfer waited
    port.SetWaitHook([&] {
        if (readWaits.empty() || readWaits.back() != port.waits().readMs)
            readWaits.push_back(port.waits().readMs);
    });
    waits.detection.readMs = 50;
    waits.full.readMs = 250;
    waits.full.readTimeoutMs = 300;
    sim::Faults f;
    f.silent = true;
    sim->SetFaults(f);
    TestKeyer(port, target, {}, waits);
    EXPECT_EQ(readWaits, std::vector<int>{50});
    f.silent = false;
    f.stallAfter = 9;  // after detection nothing goes out: the readings wait
    sim->SetFaults(f);
    TestKeyer(port, target, {}, waits);
    port.SetWaitHook({});
    EXPECT_EQ(readWaits.back(), 250);
    EXPECT_EQ(port.waits().readMs, 250);
    EXPECT_EQ(KeyerWaits().detection.readMs, KeyerWaits().full.readMs);
}

// Both blocks after detection; the image changes only when both came whole.
TEST_F(OperationsTest, ReadFetchesBothBlocksOrLeavesTheImage) {
    sim::SettingsBytes s = sim::FactorySettings();
    s[3] = 70, s[290] = 0x0C, s[299] = 41;
    sim->SetSettings(s);
    SettingsImage image{};
    TransferResult r = ReadKeyer(port, target, {}, waits, image, Watch(true));
    EXPECT_TRUE(r.Complete());
    EXPECT_EQ(sentByThen, kDetection);
    EXPECT_EQ(sim->Received(), Joined(kDetection, {0, 0x0C, 0, 0x1A}));
    EXPECT_EQ(image, KeyerSettings());

    const std::pair<long, TransferOutcome> shortReads[] = {
        {-1, TransferOutcome::ReadShort},       // every reply cut short
        {11, TransferOutcome::ExtensionShort},  // answers the dump, then drops the line
    };
    for (auto [hangUpAfter, outcome] : shortReads) {
        start({});
        sim::Faults f;
        f.hangUpAfter = hangUpAfter;
        if (hangUpAfter < 0) f.truncateReplies = 100;  // detection's one-byte replies still pass
        sim->SetFaults(f);
        image.fill(0x77);
        r = ReadKeyer(port, target, {}, waits, image);
        EXPECT_EQ(r.transfer, outcome);
        EXPECT_EQ(image[3], 0x77);
        EXPECT_EQ(image[299], 0x77);
    }
    EXPECT_STREQ(TransferText(TransferOutcome::ExtensionShort), "ZT Fail:extension read short");
}

// Only a firmware from 31 on has the settings commands: a keyer without
// them is sent nothing after detection, and the caller's step never comes.
TEST_F(OperationsTest, NoSettingsTransferWithoutTheCommandsForIt) {
    SettingsImage image{};
    image.fill(0x42);
    sim->SetIdentity(Keyer(kVariantSmt, 30, 5));
    TransferResult r = ReadKeyer(port, target, {}, waits, image, Watch(true));
    EXPECT_EQ(r.transfer, TransferOutcome::NoSettingsCommands);
    sim->ClearReceived();
    r = WriteKeyer(port, target, {}, waits, image, Watch(true));
    EXPECT_EQ(r.transfer, TransferOutcome::NoSettingsCommands);
    EXPECT_EQ(sim->Received(), kDetection);
    EXPECT_STREQ(TransferText(*r.transfer),
                 "the keyer's firmware has no settings commands (31 or later has)");
    EXPECT_FALSE(detected);
    EXPECT_EQ(image[0], 0x42);
}

// The extension, then the main block, then the store pause, counted from
// when the 304 bytes have left the wire at 1200 baud. A caller that stops
// after detection sends nothing more.
TEST_F(OperationsTest, WriteSendsTheExtensionThenTheMainBlockThenPauses) {
    SettingsImage image = KeyerSettings();
    image[7] = 39, image[299] = 41;
    EXPECT_FALSE(WriteKeyer(port, target, {}, waits, image, Watch(false)).transfer);
    EXPECT_EQ(sim->Received(), kDetection);

    sim->ClearReceived();
    const Clock::time_point began = Clock::now();
    const TransferResult r = WriteKeyer(port, target, {}, waits, image, Watch(true));
    EXPECT_GE(Clock::now() - began,
              std::chrono::milliseconds(waits.storeMs + 304 * 10 * 1000 / 1200));
    EXPECT_TRUE(r.Complete());
    Bytes expected = Joined(kDetection, {0, 0x1B});
    expected.insert(expected.end(), image.begin() + 288, image.end());
    expected.insert(expected.end(), {0, 0x0D});
    expected.insert(expected.end(), image.begin(), image.begin() + 288);
    EXPECT_EQ(sim->Received(), expected);
    EXPECT_EQ(KeyerSettings(), image);
}

// The system takes all the bytes at once: a line that drops before they are
// on the wire took them with it, whatever the writes said. One that drops
// while the keyer stores them is a failure of its own.
TEST_F(OperationsTest, AWriteTheLineDoesNotHoldFails) {
    SettingsImage image = KeyerSettings();
    image[3] = 70;
    sim::Faults f;
    f.hangUpAfter = 20;  // detection, the extension command and part of its block
    sim->SetFaults(f);
    const SettingsImage before = KeyerSettings();
    TransferResult r = WriteKeyer(port, target, {}, waits, image);
    EXPECT_EQ(r.transfer, TransferOutcome::NotSent);
    EXPECT_EQ(port.ErrorText(), "the line hung up");
    EXPECT_EQ(KeyerSettings(), before);

    start({});
    waits.storeMs = 60000;  // ended by the hang-up
    std::thread drop([this] {
        // A second after the 304 bytes' 2.5 s on the wire.
        std::this_thread::sleep_for(std::chrono::milliseconds(3500));
        sim->Stop();
    });
    r = WriteKeyer(port, target, {}, waits, image);
    drop.join();
    EXPECT_EQ(r.transfer, TransferOutcome::LostWhileStoring);
    EXPECT_EQ(port.ErrorText(), "the line hung up");
    EXPECT_EQ(KeyerSettings(), image);
}

// The read-back names every byte that came back other than it was written.
TEST_F(OperationsTest, TheReadBackSaysWhichBytesCameBackOtherThanWritten) {
    const SettingsImage kept = KeyerSettings();
    SettingsImage written = kept;
    written[1] = 28;
    written[299] = 41;
    ASSERT_EQ(port.Open(target), PortOpen::Ok);
    ReadBack back = ReadBackSettings(port, waits, written);
    EXPECT_EQ(sim->Received(), (Bytes{0, 0x0C, 0, 0x1A}));
    EXPECT_EQ(back.transfer, TransferOutcome::Complete);
    ASSERT_EQ(back.differences.size(), 2u);
    EXPECT_EQ(back.differences[0].offset, 1);
    EXPECT_EQ(back.differences[0].wrote, 28);
    EXPECT_EQ(back.differences[0].read, kept[1]);
    EXPECT_EQ(back.differences[1].offset, 299);
    EXPECT_EQ(back.differences[1].read, kept[299]);

    sim::SettingsBytes same;
    std::copy(written.begin(), written.end(), same.begin());
    sim->SetSettings(same);
    back = ReadBackSettings(port, waits, written);
    EXPECT_TRUE(back.differences.empty());
    EXPECT_EQ(back.read, written);
}

}  // namespace
}  // namespace zt
