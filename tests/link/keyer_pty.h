#pragma once
// A pseudo-terminal in place of the keyer's serial line. The program opens
// the slave as COM kPtyCom through a link in a private configuration
// directory; the test plays the keyer on the master side.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "common/app_state.h"
#include "link/port.h"
#include "platform/paths.h"

namespace zt::testing {

constexpr int kPtyCom = 7;
using Bytes = std::vector<std::uint8_t>;

class KeyerPty {
  public:
    KeyerPty() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        EXPECT_GE(master_, 0);
        EXPECT_EQ(grantpt(master_), 0);
        EXPECT_EQ(unlockpt(master_), 0);
        slave_ = ptsname(master_);
        char pattern[] = "/tmp/ztlink-XXXXXX";
        dir_ = mkdtemp(pattern);
        setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
        MakeDirs(PortsDir());
        Link(kPtyCom, slave_);
        // Raw from the start, so bytes sent before the program opens the port
        // are not echoed back to us.
        termios t = Settings();
        cfmakeraw(&t);
        SetSettings(t);
    }
    ~KeyerPty() {
        HangUp();
        std::filesystem::remove_all(dir_);
    }
    KeyerPty(const KeyerPty&) = delete;
    KeyerPty& operator=(const KeyerPty&) = delete;

    const std::string& slavePath() const { return slave_; }
    void Link(int com, const std::string& target) {
        std::string link = PortsDir() + "/com" + std::to_string(com);
        EXPECT_EQ(symlink(target.c_str(), link.c_str()), 0);
    }

    // The slave's settings, as seen through the master.
    termios Settings() const {
        termios t{};
        EXPECT_EQ(tcgetattr(master_, &t), 0);
        return t;
    }
    void SetSettings(const termios& t) { EXPECT_EQ(tcsetattr(master_, TCSANOW, &t), 0); }

    // The keyer sends.
    void Send(const Bytes& bytes) {
        EXPECT_EQ(write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // What the program sent: at least `expected` bytes, then whatever follows
    // before the line has been quiet for a while.
    Bytes Take(std::size_t expected, int quietMs = 50) {
        Bytes got;
        std::uint8_t chunk[4096];
        pollfd p{master_, POLLIN, 0};
        while (poll(&p, 1, got.size() < expected ? 2000 : quietMs) > 0) {
            ssize_t n = read(master_, chunk, sizeof chunk);
            if (n <= 0) break;
            got.insert(got.end(), chunk, chunk + n);
        }
        return got;
    }
    // The keyer's side goes away: the program sees a hang-up.
    void HangUp() {
        if (master_ >= 0) close(master_);
        master_ = -1;
    }

  private:
    int master_ = -1;
    std::string slave_;
    std::string dir_;
};

// Each test starts with a clean program, no port open and short waits.
class LinkTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetSharedState();
        shipped_ = portWaits();
        PortWaitsForTesting() = {
            .writeMs = 1000, .readMs = 100, .readTimeoutMs = 250, .settleMs = 10};
    }
    void TearDown() override {
        ClosePort();
        SetPortWaitHook(nullptr);
        PortWaitsForTesting() = shipped_;
    }

    KeyerPty line;

  private:
    PortWaits shipped_;
};

}  // namespace zt::testing
