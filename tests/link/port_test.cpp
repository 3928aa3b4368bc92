#include "link/port.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>

#include <chrono>
#include <fstream>
#include <thread>
#include <utility>

#include "link/keyer_pty.h"
#include "system/serial.h"

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

        ASSERT_EQ(port.Open(kPtyCom), PortOpen::Ok);
        EXPECT_EQ(port.IsOpen(), true);
        termios after = line.Settings();
        EXPECT_EQ(cfgetospeed(&after), B1200);
        EXPECT_EQ(cfgetispeed(&after), B1200);
        EXPECT_FALSE(after.c_cflag & CSTOPB);
        EXPECT_FALSE(after.c_iflag & (IXON | IXOFF));
        EXPECT_FALSE(after.c_lflag & (ICANON | ECHO));
        EXPECT_EQ(bool(after.c_cflag & CRTSCTS), ctsFlow);
        EXPECT_EQ(port.lineSettings().ctsFlow, ctsFlow);

        // The upload worker's speed change keeps everything else.
        port.lineSettings().baudRate = 9600;
        EXPECT_TRUE(port.ApplyLineSettings());
        after = line.Settings();
        EXPECT_EQ(cfgetospeed(&after), B9600);
        EXPECT_EQ(bool(after.c_cflag & CRTSCTS), ctsFlow);
        EXPECT_FALSE(after.c_iflag & (IXON | IXOFF));
        port.Close();
    }
}

TEST_F(LinkTest, PortsThatCannotBeOpenedLeavePortOpenClear) {
    line.Link(8, "/dev/zt-no-such-device");
    std::string notATerminal = PortsDir() + "/plain-file";
    std::ofstream(notATerminal) << "x";
    line.Link(9, notATerminal);
    // Each failure says what kind it is, so that a front end can say what to do.
    const std::pair<int, PortOpen> cases[] = {
        {8, PortOpen::Missing}, {9, PortOpen::NotSerial}, {999, PortOpen::Missing}};
    for (auto [com, trouble] : cases) {
        EXPECT_EQ(port.Open(com), trouble) << "COM" << com;
        EXPECT_EQ(port.IsOpen(), false);
        EXPECT_FALSE(port.ErrorText().empty());
    }
    EXPECT_EQ(port.ErrorText(), "COM999: no device");
    EXPECT_EQ(port.Open(9), PortOpen::NotSerial);
    EXPECT_EQ(port.ErrorText(), PortsDir() + "/com9: not a serial port");
    EXPECT_STREQ(OpenFailureStatus(PortOpen::NotSerial), "ZT Fail:check com port");
    EXPECT_STREQ(OpenFailureStatus(PortOpen::PurgeFailed), "ZT Fail:comm purge");
    ASSERT_EQ(port.Open(kPtyCom), PortOpen::Ok);
}

TEST_F(LinkTest, AHeldPortIsBusyForEveryoneElse) {
    ASSERT_EQ(port.Open(kPtyCom), PortOpen::Ok);
    SerialOpenResult second = SerialOpen(line.slavePath());
    EXPECT_EQ(second.outcome, PortOpen::Busy);
    EXPECT_EQ(second.device, nullptr);
    EXPECT_EQ(ProbeDevice(line.slavePath()), ProbeResult::Busy);
    port.Close();

    // Another program holds it: busy, and nothing is marked open.
    SerialOpenResult other = SerialOpen(line.slavePath());
    ASSERT_EQ(other.outcome, PortOpen::Ok);
    EXPECT_EQ(port.Open(kPtyCom), PortOpen::Busy);
    EXPECT_EQ(port.IsOpen(), false);
    SerialClose(other.device, SerialClock::now());
    EXPECT_EQ(port.Open(kPtyCom), PortOpen::Ok);
}

TEST_F(LinkTest, OpenPurgesStaleRepliesButKeepsLaterBytes) {
    line.Send({0x55, 0xAA, 0x01});
    ASSERT_EQ(port.Open(kPtyCom), PortOpen::Ok);
    line.Send({0x31, 0x32});
    std::uint8_t got[2] = {};
    EXPECT_TRUE(port.Read(got, 2));
    EXPECT_EQ(got[0], 0x31);
    EXPECT_EQ(got[1], 0x32);
}

TEST_F(LinkTest, ShortReadFailsAndLateBytesNeverReachTheCallersBuffer) {
    ASSERT_EQ(port.Open(kPtyCom), PortOpen::Ok);
    {
        // A heap buffer, so that AddressSanitizer sees any late write into it.
        std::vector<std::uint8_t> buffer(12, 0xEE);
        line.Send({1, 2, 3, 4, 5});
        EXPECT_FALSE(port.Read(buffer.data(), 12));
        EXPECT_EQ(buffer, Bytes({1, 2, 3, 4, 5, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}));
    }
    // Bytes that come before the read's own time-out are the port's; only what
    // follows them reaches the next read.
    line.Send({6, 7, 8, 9, 10, 11, 12, 0x42});
    std::uint8_t next = 0;
    EXPECT_TRUE(port.Read(&next, 1));
    EXPECT_EQ(next, 0x42);
    EXPECT_EQ(port.LateBytes(), Bytes({6, 7, 8, 9, 10, 11, 12}));
}

TEST_F(LinkTest, AReadPastItsOwnTimeOutTakesNothing) {
    ASSERT_EQ(port.Open(kPtyCom), PortOpen::Ok);
    std::uint8_t dead = 0xEE;
    EXPECT_FALSE(port.Read(&dead, 1));
    std::this_thread::sleep_for(milliseconds(port.waits().readTimeoutMs));
    // The first byte of the next reply belongs to the next read.
    line.Send({0x42, 0x43});
    std::uint8_t reply[2] = {};
    EXPECT_TRUE(port.Read(reply, 2));
    EXPECT_EQ(Bytes(reply, reply + 2), Bytes({0x42, 0x43}));
    EXPECT_EQ(dead, 0xEE);
    EXPECT_TRUE(port.LateBytes().empty());
}

int hookCalls = 0;

TEST_F(LinkTest, SilentReadFailsLeavingTheBufferAndCallsTheHook) {
    ASSERT_EQ(port.Open(kPtyCom), PortOpen::Ok);
    hookCalls = 0;
    port.SetWaitHook([] { ++hookCalls; });
    std::uint8_t reply = 0xEE;
    EXPECT_FALSE(port.Read(&reply, 1));
    port.Close();
    EXPECT_EQ(reply, 0xEE);
    EXPECT_GT(hookCalls, 0);
}

TEST_F(LinkTest, WithNothingOpenCloseDoesNothingAndTransfersFail) {
    port.Close();
    EXPECT_FALSE(port.IsOpen());
    std::uint8_t byte = 0;
    EXPECT_FALSE(port.Write(&byte, 1));
    EXPECT_FALSE(port.Read(&byte, 1));
}

TEST_F(LinkTest, HangUpEndsAReadAtOnce) {
    port.waits().readMs = 8000;
    port.waits().readTimeoutMs = 8000;
    ASSERT_EQ(port.Open(kPtyCom), PortOpen::Ok);
    std::thread keyer([this] {
        std::this_thread::sleep_for(milliseconds(50));
        line.HangUp();
    });
    std::uint8_t buffer[4];
    auto start = SerialClock::now();
    EXPECT_FALSE(port.Read(buffer, 4));
    EXPECT_LT(SerialClock::now() - start, milliseconds(5000));
    keyer.join();
    EXPECT_TRUE(port.HungUp());
    EXPECT_EQ(port.ErrorText(), "the line hung up");
    EXPECT_FALSE(port.Write(buffer, 1));
}

// A write returns once the system has the bytes; the pause after it says
// whether the line held while they went out, and while the keyer stored them.
TEST_F(LinkTest, APauseSaysWhetherTheLineHeldBeforeAndAfterTheBytesWentOut) {
    ASSERT_EQ(port.Open(kPtyCom), PortOpen::Ok);
    const Bytes twelve(12, 0x55);  // 100 ms on the wire at 1200 baud
    EXPECT_TRUE(port.Write(twelve.data(), 12));
    EXPECT_EQ(port.Pause(10), Port::PauseEnd::Held);

    // Gone once the bytes had had their time on the wire: sent, then lost.
    EXPECT_TRUE(port.Write(twelve.data(), 12));
    const auto wrote = SerialClock::now();
    port.SetWaitHook([&] {
        if (SerialClock::now() - wrote > milliseconds(150)) line.HangUp();
    });
    EXPECT_EQ(port.Pause(60000), Port::PauseEnd::LostAfterSent);
    EXPECT_EQ(port.ErrorText(), "the line hung up");
    port.SetWaitHook({});
    port.Close();
}

TEST_F(LinkTest, ALineGoneBeforeTheBytesWentOutTookThem) {
    ASSERT_EQ(port.Open(kPtyCom), PortOpen::Ok);
    const Bytes block(288, 0x55);
    EXPECT_TRUE(port.Write(block.data(), 288));  // the system has them all
    line.HangUp();
    EXPECT_EQ(port.Pause(60000), Port::PauseEnd::NotSent);
    EXPECT_TRUE(port.HungUp());
}

// The system took the bytes, but the line holds them back (the keyer's end
// stopped taking): when the pause is over they have not gone out.
TEST_F(LinkTest, BytesTheLineHoldsBackAtTheEndOfThePauseWereNotSent) {
    const int stopper = open(line.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(stopper, 0);
    ASSERT_EQ(port.Open(kPtyCom), PortOpen::Ok);
    const Bytes twelve(12, 0x55);
    EXPECT_TRUE(port.Write(twelve.data(), 12));
    ASSERT_EQ(tcflow(stopper, TCOOFF), 0);
    EXPECT_EQ(port.Pause(10), Port::PauseEnd::NotSent);
    EXPECT_EQ(port.ErrorText(), "the line held back what was written");
    ASSERT_EQ(tcflow(stopper, TCOON), 0);
    close(stopper);
}

TEST_F(LinkTest, TimedOutWritesAreNeverCancelledNorDropped) {
    ASSERT_EQ(port.Open(kPtyCom), PortOpen::Ok);
    // Far more than a pseudo-terminal buffers while nobody reads.
    Bytes block(1 << 20);
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(i * 7);
    port.waits().writeMs = 100;
    EXPECT_FALSE(port.Write(block.data(), static_cast<int>(block.size())));
    // Still nobody reads: the tail times out a second time and stays, and the
    // next bytes queue up behind it.
    const std::uint8_t first[] = {0x00, 0x0D};
    EXPECT_FALSE(port.Write(first, 2));

    port.waits().writeMs = 5000;
    Bytes received;
    std::thread keyer([&] { received = line.Take(block.size() + 4); });
    const std::uint8_t second[] = {0x00, 0x1B};
    EXPECT_TRUE(port.Write(second, 2));
    keyer.join();
    block.insert(block.end(), first, first + 2);
    block.insert(block.end(), second, second + 2);
    EXPECT_TRUE(received == block) << "received " << received.size() << " bytes";
}

}  // namespace
}  // namespace zt::testing
