// The line as hosts find it after others have let go of the port, and what
// the simulator keeps of a host that writes more than the chip takes, and
// how it times the exchanges.

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <thread>

#include "sim_fixture.h"

namespace zt::sim::test {
namespace {

int ExclusiveFlag(int fd) {
    int flag = -1;
    return ioctl(fd, TIOCGEXCL, &flag) == 0 ? flag : -1;
}

// Every look is a fresh open, as a program's would be.
bool FreeWithin(const std::string& path, std::chrono::milliseconds limit) {
    auto end = std::chrono::steady_clock::now() + limit;
    do {
        usleep(10'000);
        HostPort probe(path);
        if (probe.ok() && ExclusiveFlag(probe.fd()) == 0) return true;
    } while (std::chrono::steady_clock::now() < end);
    return false;
}

TEST_F(SimTest, AHostGoneLeavesTheNextAFreeAndQuietLine) {
    for (bool pace : {false, true}) {
        SCOPED_TRACE(pace ? "paced: the reply still in the chip" : "unpaced: all in the line");
        Config config;
        config.pace = pace;
        Start(config);
        ASSERT_EQ(ioctl(host_->fd(), TIOCEXCL), 0);
        host_->Write({0x00, 0x0C});  // 288 bytes of settings, never read
        if (pace)
            ASSERT_EQ(host_->Read(1).size(), 1u);
        else
            ASSERT_TRUE(sim_->WaitForReceived(2, 2s));
        host_.reset();  // gone without TIOCNXCL, as a killed program goes
        EXPECT_TRUE(FreeWithin(sim_->DevicePath(), 1s));
        host_ = std::make_unique<HostPort>(sim_->DevicePath());
        ExpectNoReply();
        EXPECT_EQ(host_->Ask({0x00, 0x04, 0x55}, 1), Bytes{0x55});
    }
}

TEST_F(SimTest, OpensAndClosesSeenTogetherLeaveTheNewHoldersFlag) {
    // The log goes into a pipe the test fills: the simulator's thread then
    // waits in its next log line while the kernel queues opens and closes.
    int log[2];
    ASSERT_EQ(pipe2(log, O_NONBLOCK | O_CLOEXEC), 0);
    Config config;
    config.logPath = "/proc/self/fd/" + std::to_string(log[1]);
    Start(config);
    const std::string path = sim_->DevicePath();
    EXPECT_EQ(host_->Ask({0x00, 0x04, 0x55}, 1), Bytes{0x55});
    char junk[4096] = {};
    while (write(log[1], junk, sizeof junk) > 0 || write(log[1], junk, 1) > 0) {
    }
    host_->Write({0xFF});  // the note on this stray byte holds the simulator up
    usleep(50'000);

    // The program closes and reopens the port; a second host opens right
    // behind it, which the kernel would report as one open, and leaves.
    // (No ASSERT from here on: a simulator held up could not be stopped.)
    EXPECT_EQ(ioctl(host_->fd(), TIOCEXCL), 0);
    host_.reset();
    host_ = std::make_unique<HostPort>(path);
    int second = open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    EXPECT_EQ(ioctl(host_->fd(), TIOCEXCL), 0);
    close(second);

    while (read(log[0], junk, sizeof junk) > 0) {
    }
    EXPECT_EQ(host_->Ask({0x00, 0x04, 0x42}, 1), Bytes{0x42});  // all of it seen by now
    EXPECT_EQ(ExclusiveFlag(host_->fd()), 1);
    host_.reset();
    sim_->Stop();  // before the pipe closes under its log
    close(log[0]);
    close(log[1]);
}

TEST_F(SimTest, PacedKeyerHoldsOffAHostThatWritesTooFast) {
    Config config;
    config.pace = true;
    Start(config);
    Bytes strays(4096, 0xFF);
    std::size_t accepted = 0;
    auto end = std::chrono::steady_clock::now() + 300ms;
    while (std::chrono::steady_clock::now() < end) {
        ssize_t n = write(host_->fd(), strays.data(), strays.size());
        if (n > 0)
            accepted += std::size_t(n);
        else
            usleep(1000);
    }
    // What the pseudo-terminal buffers and a few bytes more (300 ms at 1200
    // baud take 36).
    EXPECT_LT(accepted, 64u * 1024);
}

// The benchmarks' split of an exchange's time: the host's turnaround is what
// it took between a reply and its next request, whatever the line's rate.
TEST_F(SimTest, TimingCountsExchangesAndTheHostsTurnarounds) {
    Config config;
    config.pace = true;
    Start(config);
    ASSERT_EQ(host_->Ask({0x00, 0x09}, 1), Bytes{31});
    std::this_thread::sleep_for(40ms);
    ASSERT_EQ(host_->Ask({0x00, 0x17}, 1), Bytes{5});
    host_->Write({0x00, 0x0D});  // a write with no reply is no exchange
    ASSERT_TRUE(sim_->WaitForReceived(6, 2s));
    const Timing t = sim_->timing();
    EXPECT_EQ(t.exchanges, 2u);
    ASSERT_EQ(t.turnarounds.size(), 2u);  // the write followed a reply too
    EXPECT_GE(t.turnarounds[0], 40ms);
}

TEST_F(SimTest, ReceivedKeepsOnlyTheLatestBytes) {
    Config config;
    config.receivedLimit = 8;
    Start(config);
    Bytes strays = Pattern(20, 1);  // no 00 among them, so no command starts
    host_->Write(strays);
    ASSERT_TRUE(sim_->WaitForReceived(strays.size(), 2s));
    EXPECT_EQ(sim_->Received(), Bytes(strays.end() - 8, strays.end()));
}

}  // namespace
}  // namespace zt::sim::test
