// Injected faults: what a broken or absent keyer looks like from the host.

#include <cerrno>
#include <ctime>
#include <thread>

#include "sim_fixture.h"

namespace zt::sim::test {
namespace {

TEST_F(SimTest, SilentKeyerTakesEverythingAndAnswersNothing) {
    Config config;
    config.faults.silent = true;
    Start(config);
    host_->Write({0x00, 0x04, 0x55, 0x00, 0x0C});
    ASSERT_TRUE(sim_->WaitForReceived(5, 2s));
    ExpectNoReply();
    EXPECT_EQ(sim_->Received(), (Bytes{0x00, 0x04, 0x55, 0x00, 0x0C}));

    sim_->SetFaults({});
    EXPECT_EQ(host_->Ask({0x00, 0x04, 0x55}, 1), Bytes{0x55});
}

TEST_F(SimTest, WrongEchoAndWrongSyncReplies) {
    Config config;
    config.faults.echoReply = 0x00;
    config.faults.syncReply = 0x55;  // as if the firmware had not let go
    Start(config);
    EXPECT_EQ(host_->Ask({0x00, 0x04, 0x55}, 1), Bytes{0x00});
    host_->Write({0x00, 0x10, 0x9B});
    EXPECT_EQ(host_->Ask({0x00, 0x04, 0x55}, 1), Bytes{0x55});
    EXPECT_EQ(sim_->mode(), Mode::kBootLoader);
}

TEST_F(SimTest, TruncatedRepliesStopShort) {
    Config config;
    config.faults.truncateReplies = 100;
    config.identity.major = 31;
    Start(config);
    Bytes dump = host_->Ask({0x00, 0x0C}, 288, 400);
    EXPECT_EQ(dump.size(), 100u);
    SettingsBytes stored = sim_->settings();
    EXPECT_TRUE(std::equal(dump.begin(), dump.end(), stored.begin()));
    EXPECT_EQ(host_->Ask({0x00, 0x09}, 1), Bytes{31});  // short replies are whole

    Faults none;
    none.truncateReplies = 0;
    sim_->SetFaults(none);
    host_->Write({0x00, 0x09});
    ExpectNoReply();
}

TEST_F(SimTest, VariantQueryCanGoUnanswered) {
    Config config;
    config.faults.noVariantReply = true;
    config.identity.major = 31;
    Start(config);
    host_->Write({0x00, 0x18});
    ExpectNoReply();
    EXPECT_EQ(host_->Ask({0x00, 0x09}, 1), Bytes{31});
}

TEST_F(SimTest, HangsUpAfterTheChosenByteCount) {
    Config config;
    config.faults.hangUpAfter = 5;
    config.identity.major = 31;
    Start(config);
    // The fifth byte completes 00 09, whose reply still goes out first.
    host_->Write({0x00, 0x04, 0x55, 0x00, 0x09, 0x00, 0x17});
    EXPECT_EQ(host_->Read(2), (Bytes{0x55, 31}));
    EXPECT_TRUE(host_->HungUp(2000));
    ASSERT_TRUE(sim_->WaitForMode(Mode::kHungUp, 2s));
    EXPECT_EQ(sim_->counters().taken, 5u);
    sim_->Wait();  // the thread has ended by itself
}

TEST_F(SimTest, HangUpSetWhileRunningCountsFromThen) {
    Start();
    EXPECT_EQ(host_->Ask({0x00, 0x04, 0x55}, 1), Bytes{0x55});
    Faults faults;
    faults.hangUpAfter = 0;
    sim_->SetFaults(faults);
    EXPECT_TRUE(host_->HungUp(2000));
    EXPECT_EQ(sim_->mode(), Mode::kHungUp);
}

// Bytes that came after the count wait with the held line, the simulator
// sleeping meanwhile instead of looking at them again and again; the host
// can write no more until the faults change.
TEST_F(SimTest, HoldsTheLineAfterTheChosenByteCountUntilTheFaultsChange) {
    Config config;
    config.faults.stallAfter = 3;
    Start(config);
    host_->Write({0x00, 0x04, 0x55, 0x00, 0x17});
    EXPECT_EQ(host_->Read(1), Bytes{0x55});  // answered, then held
    const std::clock_t cpu = std::clock();  // the test's thread sleeps: the rest is the simulator's
    std::this_thread::sleep_for(1s);
    EXPECT_LT(std::clock() - cpu, CLOCKS_PER_SEC / 10);
    const std::uint8_t query[] = {0x00, 0x09};
    errno = 0;
    EXPECT_EQ(write(host_->fd(), query, sizeof query), -1);
    EXPECT_EQ(errno, EAGAIN);
    EXPECT_EQ(sim_->counters().taken, 3u);
    sim_->SetFaults({});
    EXPECT_EQ(host_->Read(1), Bytes{5});  // the 00 17 that waited
    EXPECT_EQ(host_->Ask({0x00, 0x09}, 1), Bytes{31});
}

}  // namespace
}  // namespace zt::sim::test
