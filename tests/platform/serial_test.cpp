#include "platform/serial.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <climits>

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

TEST(ProbeDeviceTest, TellsPresentBusyAndMissingApart) {
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    std::string slave = ptsname(master);

    EXPECT_EQ(ProbeDevice(slave), ProbeResult::Present);
    EXPECT_EQ(ProbeDevice(slave), ProbeResult::Present);  // probing does not keep it
    SerialOpenResult held = SerialOpen(slave);
    ASSERT_EQ(held.outcome, SerialOpenOutcome::Opened);
    EXPECT_EQ(ProbeDevice(slave), ProbeResult::Busy);
    SerialClose(held.fd, SerialClock::now());
    EXPECT_EQ(ProbeDevice(slave), ProbeResult::Present);

    EXPECT_EQ(ProbeDevice("/dev/zt-no-such-device"), ProbeResult::Missing);
    EXPECT_EQ(ProbeDevice("/dev/null"), ProbeResult::Missing);  // not a terminal
    close(master);
}

}  // namespace
}  // namespace zt
