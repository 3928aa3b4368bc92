#include "system/serial.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <climits>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "system/pty.h"

namespace zt {
namespace {

using std::chrono::hours;
using std::chrono::microseconds;
using std::chrono::milliseconds;

TEST(RemainingMsTest, RoundsUpAndStopsAtZero) {
    const SerialClock::time_point now = SerialClock::now();
    EXPECT_EQ(RemainingMs(now + milliseconds(250), now), 250);
    EXPECT_EQ(RemainingMs(now + microseconds(250'001), now), 251);
    EXPECT_EQ(RemainingMs(now + microseconds(1), now), 1);  // never a zero-length wait early
    EXPECT_EQ(RemainingMs(now, now), 0);
    EXPECT_EQ(RemainingMs(now - milliseconds(5), now), 0);
    EXPECT_EQ(RemainingMs(now + hours(24 * 365 * 100), now), INT_MAX);
}

// A silent line with no tick hook: the waits sleep in the system, however
// busy the machine (a spinning wait takes whatever share of a core it gets).
TEST(SerialWaitTest, WaitsWithoutAHookTakeNoTimeOfTheProcessor) {
    PtyMaster pty;
    ASSERT_TRUE(pty.Open());
    SerialOpenResult opened = SerialOpen(pty.SlavePath());
    ASSERT_EQ(opened.outcome, PortOpen::Ok);
    std::uint8_t byte = 0;
    const std::clock_t cpu = std::clock();  // this program's, which runs nothing else
    SerialRead(opened.device, &byte, 1, DeadlineIn(2000));
    SerialWatch(opened.device, DeadlineIn(2000));
    EXPECT_LT(std::clock() - cpu, CLOCKS_PER_SEC * 4 / 10);  // a tenth of the 4 s
    SerialClose(opened.device, SerialClock::now());
}

TEST(ProbeDeviceTest, TellsPresentBusyAndMissingApart) {
    PtyMaster pty;
    ASSERT_TRUE(pty.Open());
    const std::string slave = pty.SlavePath();

    EXPECT_EQ(ProbeDevice(slave), ProbeResult::Present);
    SerialOpenResult held = SerialOpen(slave);
    ASSERT_EQ(held.outcome, PortOpen::Ok);
    EXPECT_EQ(ProbeDevice(slave), ProbeResult::Busy);
    SerialClose(held.device, SerialClock::now());
    EXPECT_EQ(ProbeDevice(slave), ProbeResult::Present);  // no probe kept it

    EXPECT_EQ(ProbeDevice("/dev/zt-no-such-device"), ProbeResult::Missing);
    EXPECT_EQ(ProbeDevice("/dev/null"), ProbeResult::Missing);  // not a terminal
}

int ExclusiveFlag(int fd) {
    int flag = -1;
    return ioctl(fd, TIOCGEXCL, &flag) == 0 ? flag : -1;
}

// Another program's exclusive flag or lock makes the port busy, also for
// root, whom the flag does not stop; the flag stays its holder's. Ours is
// set while we hold the port and cleared when we let go.
TEST(SerialOpenTest, AFlagOrALockElsewhereIsBusyAndOnlyOurOwnFlagIsCleared) {
    PtyMaster pty;
    ASSERT_TRUE(pty.Open());
    const std::string slave = pty.SlavePath();
    int other = open(slave.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(other, 0);
    ASSERT_EQ(ioctl(other, TIOCEXCL), 0);  // the flag alone, no lock
    if (geteuid() != 0) GTEST_SKIP() << "only root opens a terminal whose flag is set";
    EXPECT_EQ(SerialOpen(slave).outcome, PortOpen::Busy);
    EXPECT_EQ(ProbeDevice(slave), ProbeResult::Busy);
    EXPECT_EQ(ExclusiveFlag(other), 1);

    ASSERT_EQ(ioctl(other, TIOCNXCL), 0);
    SerialOpenResult opened = SerialOpen(slave);
    ASSERT_EQ(opened.outcome, PortOpen::Ok);
    EXPECT_EQ(ExclusiveFlag(other), 1);
    SerialClose(opened.device, SerialClock::now());
    EXPECT_EQ(ExclusiveFlag(other), 0);
    close(other);
}

// What exists but is no terminal is told apart from what does not exist, and
// never opened for long enough to be locked.
TEST(SerialOpenTest, AFileAFolderOrANonTerminalDeviceIsNoSerialPort) {
    char pattern[] = "/tmp/ztserial-XXXXXX";
    const std::string root = mkdtemp(pattern);
    std::ofstream(root + "/plain") << "x";
    for (const std::string& path : {std::string("/dev/null"), root + "/plain", root}) {
        const SerialOpenResult opened = SerialOpen(path);
        EXPECT_EQ(opened.outcome, PortOpen::NotSerial) << path;
        EXPECT_EQ(opened.device, nullptr) << path;
    }
    EXPECT_EQ(SerialOpen(root + "/none").outcome, PortOpen::Missing);
    std::filesystem::remove_all(root);
}

// A fake /sys/class/tty beside fake device nodes.
TEST(UartPresentTest, OnlyADeviceTheSystemReportsWithoutAUartIsMissingAndItsConsoleIsItsOwn) {
    char pattern[] = "/tmp/ztuart-XXXXXX";
    const std::string root = mkdtemp(pattern);
    const std::string sys = root + "/class", dev = root + "/dev";
    std::filesystem::create_directories(dev);
    for (const char* name : {"ttyS0", "ttyS1", "ttyS2", "ttyS3", "ttyUSB0"})
        std::ofstream(dev + "/" + name);
    for (const char* name : {"ttyS0", "ttyS3"})
        std::filesystem::create_directories(sys + "/" + name + "/device/driver");
    std::filesystem::create_directories(sys + "/ttyS1");
    std::ofstream(sys + "/ttyS0/type") << "4\n";  // a 16550A answers
    std::ofstream(sys + "/ttyS1/type") << "4\n";  // but no driver is bound to it
    std::ofstream(sys + "/ttyS3/type") << "0\n";  // nothing at that address
    std::filesystem::create_symlink(dev + "/ttyS3", root + "/com4");

    EXPECT_TRUE(UartPresent(dev + "/ttyS0", sys));
    EXPECT_FALSE(UartPresent(dev + "/ttyS1", sys));
    EXPECT_TRUE(UartPresent(dev + "/ttyS2", sys));  // the system lists it not at all
    EXPECT_FALSE(UartPresent(dev + "/ttyS3", sys));
    EXPECT_FALSE(UartPresent(root + "/com4", sys));   // through a ports-folder link
    EXPECT_TRUE(UartPresent(dev + "/ttyUSB0", sys));  // the system says nothing
    EXPECT_TRUE(UartPresent(root + "/gone", sys));    // opening will tell

    // The console is the system's, whatever is behind it.
    std::filesystem::create_directories(sys + "/console");
    std::ofstream(sys + "/console/active") << "tty0 ttyS0\n";
    EXPECT_TRUE(SystemConsole(dev + "/ttyS0", sys));
    EXPECT_FALSE(SystemConsole(dev + "/ttyUSB0", sys));
    EXPECT_FALSE(SystemConsole(root + "/gone", sys));
    std::filesystem::remove_all(root);
}

}  // namespace
}  // namespace zt
