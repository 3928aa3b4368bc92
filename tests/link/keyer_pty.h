#pragma once
// A pseudo-terminal in place of the keyer's serial line. The program opens
// the slave as COM kPtyCom through a link in a private configuration
// directory; the test plays the keyer on the master side.

#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "link/port.h"
#include "system/paths.h"
#include "system/pty.h"

namespace zt::testing {

constexpr int kPtyCom = 7;
using Bytes = std::vector<std::uint8_t>;

class KeyerPty {
  public:
    KeyerPty() {
        std::string error;
        EXPECT_TRUE(pty_.Open(&error)) << error;
        char pattern[] = "/tmp/ztlink-XXXXXX";
        dir_ = mkdtemp(pattern);
        setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
        MakeDirs(PortsDir());
        Link(kPtyCom, pty_.SlavePath());
        // Raw from the start, so bytes sent before the program opens the port
        // are not echoed back to us.
        termios t = Settings();
        cfmakeraw(&t);
        SetSettings(t);
    }
    ~KeyerPty() { std::filesystem::remove_all(dir_); }
    KeyerPty(const KeyerPty&) = delete;
    KeyerPty& operator=(const KeyerPty&) = delete;

    const std::string& slavePath() const { return pty_.SlavePath(); }
    void Link(int com, const std::string& target) {
        std::string link = PortsDir() + "/com" + std::to_string(com);
        EXPECT_EQ(symlink(target.c_str(), link.c_str()), 0);
    }

    // The slave's settings, as seen through the master.
    termios Settings() const {
        termios t{};
        EXPECT_EQ(tcgetattr(pty_.fd(), &t), 0);
        return t;
    }
    void SetSettings(const termios& t) { EXPECT_EQ(tcsetattr(pty_.fd(), TCSANOW, &t), 0); }

    // The keyer sends.
    void Send(const Bytes& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = write(pty_.fd(), bytes.data() + done, bytes.size() - done);
            if (n <= 0) {
                pollfd p{pty_.fd(), POLLOUT, 0};
                if (poll(&p, 1, 2000) <= 0) break;
                continue;
            }
            done += static_cast<std::size_t>(n);
        }
        EXPECT_EQ(done, bytes.size());
    }
    // What the program sent: at least `expected` bytes, then whatever follows
    // before the line has been quiet for a while.
    Bytes Take(std::size_t expected, int quietMs = 50) {
        Bytes got;
        std::uint8_t chunk[4096];
        pollfd p{pty_.fd(), POLLIN, 0};
        while (poll(&p, 1, got.size() < expected ? 2000 : quietMs) > 0) {
            ssize_t n = read(pty_.fd(), chunk, sizeof chunk);
            if (n <= 0) break;
            got.insert(got.end(), chunk, chunk + n);
        }
        return got;
    }
    // The keyer's side goes away: the program sees a hang-up.
    void HangUp() { pty_.Close(); }

  private:
    PtyMaster pty_;
    std::string dir_;
};

// Each test starts with its own closed port and short waits.
class LinkTest : public ::testing::Test {
  protected:
    void SetUp() override {
        port.waits() = {.writeMs = 1000, .readMs = 100, .readTimeoutMs = 250, .settleMs = 10};
    }

    KeyerPty line;
    Port port;
};

}  // namespace zt::testing
