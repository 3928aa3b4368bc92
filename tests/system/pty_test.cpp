#include "system/pty.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "sim/host_port.h"
#include "system/paths.h"

namespace zt {
namespace {

using sim::test::HostPort;
using sim::test::TempConfigHome;

std::string LinkTarget(const std::string& link) {
    char buf[256];
    ssize_t n = readlink(link.c_str(), buf, sizeof buf);
    return n < 0 ? std::string() : std::string(buf, std::size_t(n));
}

TEST(PtyMasterTest, SeesTheLineSettingsTheSlaveSideApplied) {
    PtyMaster pty;
    ASSERT_TRUE(pty.Open());
    HostPort host(pty.SlavePath(), 1200);
    ASSERT_TRUE(host.ok());

    PtyLine line;
    ASSERT_TRUE(pty.ReadLine(&line));
    EXPECT_EQ(line.baud, 1200);
    EXPECT_TRUE(line.Is8N1());
    EXPECT_TRUE(line.raw);

    ASSERT_TRUE(host.SetLine(9600, true));
    ASSERT_TRUE(pty.ReadLine(&line));
    EXPECT_EQ(line.baud, 9600);
    EXPECT_TRUE(line.twoStopBits);
    EXPECT_FALSE(line.Is8N1());
    EXPECT_EQ(DescribeLine(line), "9600 8N2 raw");
}

TEST(PtyMasterTest, ClosingTheMasterHangsUpTheSlave) {
    PtyMaster pty;
    ASSERT_TRUE(pty.Open());
    HostPort host(pty.SlavePath());
    ASSERT_TRUE(host.ok());
    EXPECT_FALSE(host.HungUp(50));
    pty.Close();
    EXPECT_TRUE(host.HungUp(1000));
}

class ComLinkTest : public ::testing::Test {
  protected:
    TempConfigHome home_;
};

TEST_F(ComLinkTest, CreatesTheDirectoryAndRemovesOnlyItsOwnLink) {
    EXPECT_EQ(RegisterComLink(3, "/dev/pts/999", false), LinkResult::kCreated);
    EXPECT_EQ(LinkTarget(ComLinkPath(3)), "/dev/pts/999");
    EXPECT_EQ(RegisterComLink(3, "/dev/pts/999", false), LinkResult::kCreated);

    EXPECT_FALSE(UnregisterComLink(3, "/dev/pts/998"));
    EXPECT_EQ(LinkTarget(ComLinkPath(3)), "/dev/pts/999");
    EXPECT_TRUE(UnregisterComLink(3, "/dev/pts/999"));
    struct stat st {};
    EXPECT_NE(lstat(ComLinkPath(3).c_str(), &st), 0);

    std::string why;
    EXPECT_EQ(RegisterComLink(0, "/dev/pts/999", true, &why), LinkResult::kFailed);
    EXPECT_EQ(why, "COM number 0: COM numbers start at 1");
}

TEST_F(ComLinkTest, ReplacesADanglingLinkButNotALiveOneUnlessTold) {
    ASSERT_TRUE(MakeDirs(PortsDir()));
    ASSERT_EQ(symlink("/nonexistent/ttyX", ComLinkPath(2).c_str()), 0);
    EXPECT_EQ(RegisterComLink(2, "/dev/pts/999", false), LinkResult::kReplaced);
    EXPECT_EQ(LinkTarget(ComLinkPath(2)), "/dev/pts/999");

    ASSERT_EQ(symlink("/dev/null", ComLinkPath(5).c_str()), 0);
    std::string why;
    EXPECT_EQ(RegisterComLink(5, "/dev/pts/999", false, &why), LinkResult::kInUse);
    EXPECT_NE(why.find("/dev/null"), std::string::npos);
    EXPECT_EQ(LinkTarget(ComLinkPath(5)), "/dev/null");
    EXPECT_EQ(RegisterComLink(5, "/dev/pts/999", true), LinkResult::kReplaced);
    EXPECT_EQ(LinkTarget(ComLinkPath(5)), "/dev/pts/999");
}

TEST_F(ComLinkTest, NeverHidesAPortThatIsPresentUnlessTold) {
    // /dev/null stands in for a serial device with nothing said about its UART.
    std::string why;
    EXPECT_EQ(RegisterComLinkOver(6, "/dev/pts/999", "/dev/null", false, &why), LinkResult::kInUse);
    EXPECT_EQ(why, ComLinkPath(6) + " would hide /dev/null, which is present");
    EXPECT_TRUE(LinkTarget(ComLinkPath(6)).empty());
    EXPECT_EQ(RegisterComLinkOver(6, "/dev/pts/999", "/dev/null", true), LinkResult::kCreated);
    EXPECT_EQ(RegisterComLinkOver(7, "/dev/pts/999", "/nonexistent/ttyS6", false),
              LinkResult::kCreated);
    EXPECT_EQ(RegisterComLinkOver(8, "/dev/pts/999", home_.dir(), false),  // not a device
              LinkResult::kCreated);
}

// A link to a pseudo-terminal is a live simulator's only while one claims it;
// the claim goes with the simulator, however it ends.
TEST_F(ComLinkTest, TakesBackALinkNoLiveSimulatorClaims) {
    PtyMaster other;  // somebody's terminal, on the number a killed simulator had
    ASSERT_TRUE(other.Open());
    ASSERT_TRUE(MakeDirs(PortsDir()));
    ASSERT_EQ(symlink(other.SlavePath().c_str(), ComLinkPath(2).c_str()), 0);
    EXPECT_FALSE(PtyClaimed(other.SlavePath()));
    EXPECT_EQ(RegisterComLink(2, "/dev/pts/999", false), LinkResult::kReplaced);
    EXPECT_EQ(LinkTarget(ComLinkPath(2)), "/dev/pts/999");

    {
        PtyClaim claim;
        ASSERT_TRUE(claim.Take(other.SlavePath()));
        EXPECT_TRUE(PtyClaimed(other.SlavePath()));
        ASSERT_EQ(RegisterComLink(2, other.SlavePath(), true), LinkResult::kReplaced);
        EXPECT_EQ(RegisterComLink(2, "/dev/pts/999", false), LinkResult::kClaimed);
    }
    EXPECT_FALSE(PtyClaimed(other.SlavePath()));
    EXPECT_EQ(RegisterComLink(2, "/dev/pts/999", false), LinkResult::kReplaced);
}

TEST_F(ComLinkTest, NeverReplacesSomethingThatIsNotALink) {
    ASSERT_TRUE(MakeDirs(PortsDir()));
    { std::ofstream(ComLinkPath(4)) << "mine"; }
    EXPECT_EQ(RegisterComLink(4, "/dev/pts/999", true), LinkResult::kFailed);
    EXPECT_FALSE(UnregisterComLink(4, "/dev/pts/999"));
    std::ifstream in(ComLinkPath(4));
    std::string text;
    in >> text;
    EXPECT_EQ(text, "mine");
}

}  // namespace
}  // namespace zt
