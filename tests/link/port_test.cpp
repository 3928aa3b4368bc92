#include "link/port.h"

#include <gtest/gtest.h>
#include <sys/file.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "link/keyer_pty.h"
#include "platform/serial.h"

namespace zt::testing {
namespace {

using std::chrono::milliseconds;

TEST_F(LinkTest, OpenSetsTheKeyerLineAndKeepsHardwareFlowAsFound) {
    for (bool ctsFlow : {true, false}) {
        termios before = line.Settings();
        cfsetspeed(&before, B9600);
        before.c_cflag |= CSTOPB;
        before.c_cflag = ctsFlow ? before.c_cflag | CRTSCTS : before.c_cflag & ~CRTSCTS;
        before.c_iflag |= IXON | IXOFF;
        before.c_lflag |= ICANON | ECHO;
        line.SetSettings(before);

        ASSERT_EQ(OpenPort(kPtyCom), kPortOk);
        EXPECT_EQ(appState.portOpen, 1);
        termios after = line.Settings();
        EXPECT_EQ(cfgetospeed(&after), B1200);
        EXPECT_EQ(cfgetispeed(&after), B1200);
        EXPECT_FALSE(after.c_cflag & CSTOPB);
        EXPECT_FALSE(after.c_iflag & (IXON | IXOFF));
        EXPECT_FALSE(after.c_lflag & (ICANON | ECHO));
        EXPECT_EQ(bool(after.c_cflag & CRTSCTS), ctsFlow);
        EXPECT_EQ(lineSettings.ctsFlow, ctsFlow);

        // The upload worker's speed change keeps everything else.
        lineSettings.baudRate = 9600;
        EXPECT_EQ(ApplyLineSettings(), 1);
        after = line.Settings();
        EXPECT_EQ(cfgetospeed(&after), B9600);
        EXPECT_EQ(bool(after.c_cflag & CRTSCTS), ctsFlow);
        EXPECT_FALSE(after.c_iflag & (IXON | IXOFF));
        ClosePort();
    }
}

TEST_F(LinkTest, PortsThatCannotBeOpenedLeavePortOpenClear) {
    line.Link(8, "/dev/zt-no-such-device");
    std::string notATerminal = PortsDir() + "/plain-file";
    std::ofstream(notATerminal) << "x";
    line.Link(9, notATerminal);
    for (int com : {8, 9, 999}) {
        EXPECT_EQ(OpenPort(com), kPortOpenFailed) << "COM" << com;
        EXPECT_EQ(appState.portOpen, 0);
        EXPECT_FALSE(PortErrorText().empty());
    }
}

TEST_F(LinkTest, AHeldPortIsBusyForEveryoneElse) {
    ASSERT_EQ(OpenPort(kPtyCom), kPortOk);
    SerialOpenResult second = SerialOpen(line.slavePath());
    EXPECT_EQ(second.outcome, SerialOpenOutcome::Busy);
    EXPECT_EQ(second.fd, -1);
    EXPECT_EQ(ProbeDevice(line.slavePath()), ProbeResult::Busy);
    ClosePort();

    // Another program holds it: we get -4 and nothing is marked open.
    SerialOpenResult other = SerialOpen(line.slavePath());
    ASSERT_EQ(other.outcome, SerialOpenOutcome::Opened);
    EXPECT_EQ(OpenPort(kPtyCom), kPortOpenFailed);
    EXPECT_EQ(appState.portOpen, 0);
    SerialClose(other.fd, SerialClock::now());
    EXPECT_EQ(OpenPort(kPtyCom), kPortOk);
}

TEST_F(LinkTest, OpenPurgesStaleRepliesButKeepsLaterBytes) {
    line.Send({0x55, 0xAA, 0x01});
    ASSERT_EQ(OpenPort(kPtyCom), kPortOk);
    line.Send({0x31, 0x32});
    std::uint8_t got[2] = {};
    EXPECT_EQ(ReadPort(got, 2), 1);
    EXPECT_EQ(got[0], 0x31);
    EXPECT_EQ(got[1], 0x32);
}

TEST_F(LinkTest, ShortReadFailsAndThePortKeepsFillingTheBuffer) {
    ASSERT_EQ(OpenPort(kPtyCom), kPortOk);
    std::uint8_t buffer[12];
    std::fill(std::begin(buffer), std::end(buffer), 0xEE);
    line.Send({1, 2, 3, 4, 5});
    EXPECT_EQ(ReadPort(buffer, 12), 0);
    EXPECT_EQ(Bytes(buffer, buffer + 12),
              Bytes({1, 2, 3, 4, 5, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}));

    // Bytes that come before the port's own time-out complete the old read;
    // only what follows them reaches the next one.
    line.Send({6, 7, 8, 9, 10, 11, 12, 0x42});
    std::uint8_t next = 0;
    EXPECT_EQ(ReadPort(&next, 1), 1);
    EXPECT_EQ(next, 0x42);
    EXPECT_EQ(Bytes(buffer, buffer + 12), Bytes({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
}

int hookCalls = 0;

TEST_F(LinkTest, SilentReadFailsLeavingTheBufferAndCallsTheHook) {
    ASSERT_EQ(OpenPort(kPtyCom), kPortOk);
    hookCalls = 0;
    SetPortWaitHook([] { ++hookCalls; });
    std::uint8_t reply = 0xEE;
    EXPECT_EQ(ReadPort(&reply, 1), 0);
    ClosePort();
    EXPECT_EQ(reply, 0xEE);
    EXPECT_GT(hookCalls, 0);
}

TEST_F(LinkTest, WithNothingOpenCloseOnlyClearsTheFlagAndTransfersFail) {
    appState.portOpen = 1;
    ClosePort();
    EXPECT_EQ(appState.portOpen, 0);
    std::uint8_t byte = 0;
    EXPECT_EQ(WritePort(&byte, 1), 0);
    EXPECT_EQ(ReadPort(&byte, 1), 0);
}

TEST_F(LinkTest, HangUpEndsAReadAtOnce) {
    PortWaitsForTesting().readMs = 8000;
    PortWaitsForTesting().readTimeoutMs = 8000;
    ASSERT_EQ(OpenPort(kPtyCom), kPortOk);
    std::thread keyer([this] {
        std::this_thread::sleep_for(milliseconds(50));
        line.HangUp();
    });
    std::uint8_t buffer[4];
    auto start = SerialClock::now();
    EXPECT_EQ(ReadPort(buffer, 4), 0);
    ClosePort();
    keyer.join();
    EXPECT_LT(SerialClock::now() - start, milliseconds(5000));
}

TEST_F(LinkTest, TimedOutWriteIsNotCancelled) {
    ASSERT_EQ(OpenPort(kPtyCom), kPortOk);
    // Far more than a pseudo-terminal buffers while nobody reads.
    Bytes block(1 << 20);
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(i * 7);
    PortWaitsForTesting().writeMs = 100;
    EXPECT_EQ(WritePort(block.data(), static_cast<int>(block.size())), 0);

    PortWaitsForTesting().writeMs = 5000;
    Bytes received;
    std::thread keyer([&] { received = line.Take(block.size() + 2); });
    const std::uint8_t frame[] = {0x00, 0x1B};
    EXPECT_EQ(WritePort(frame, 2), 1);
    keyer.join();
    block.insert(block.end(), frame, frame + 2);
    EXPECT_TRUE(received == block) << "received " << received.size() << " bytes";
}

}  // namespace
}  // namespace zt::testing
