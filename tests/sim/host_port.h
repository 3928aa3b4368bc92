#pragma once
// The program's end of the line for the simulator tests, opened by hand:
// raw, at a chosen speed and framing, with bounded reads.

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zt::sim::test {

using Bytes = std::vector<std::uint8_t>;

class HostPort {
  public:
    explicit HostPort(const std::string& path, int baud = 1200) {
        fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ >= 0) SetLine(baud);
    }
    ~HostPort() {
        if (fd_ >= 0) close(fd_);
    }
    HostPort(const HostPort&) = delete;
    HostPort& operator=(const HostPort&) = delete;

    bool ok() const { return fd_ >= 0; }
    int fd() const { return fd_; }

    bool SetLine(int baud, bool twoStopBits = false) {
        termios t{};
        if (tcgetattr(fd_, &t) != 0) return false;
        cfmakeraw(&t);
        t.c_cflag = (t.c_cflag & ~CSTOPB) | (twoStopBits ? CSTOPB : 0);
        speed_t speed = baud == 9600 ? B9600 : baud == 1200 ? B1200 : B38400;
        cfsetospeed(&t, speed);
        cfsetispeed(&t, speed);
        return tcsetattr(fd_, TCSANOW, &t) == 0;
    }

    void Write(const Bytes& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = write(fd_, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += std::size_t(n);
            } else {
                pollfd p{fd_, POLLOUT, 0};
                if (poll(&p, 1, 2000) <= 0) return;
            }
        }
    }

    // Up to n bytes; stops early when nothing more comes within timeoutMs.
    Bytes Read(std::size_t n, int timeoutMs = 2000) {
        Bytes got;
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (got.size() < n) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now());
            if (left.count() <= 0) break;
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, int(left.count())) <= 0) break;
            std::uint8_t buf[512];
            ssize_t r = read(fd_, buf, std::min(sizeof buf, n - got.size()));
            if (r <= 0) break;
            got.insert(got.end(), buf, buf + r);
        }
        return got;
    }

    Bytes Ask(const Bytes& command, std::size_t replySize, int timeoutMs = 2000) {
        Write(command);
        return Read(replySize, timeoutMs);
    }

    // True once the other end has dropped the line.
    bool HungUp(int timeoutMs) {
        pollfd p{fd_, POLLIN, 0};
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < end) {
            if (poll(&p, 1, 50) > 0) {
                if (p.revents & POLLHUP) return true;
                std::uint8_t b;
                if (read(fd_, &b, 1) == 0) return true;
            }
        }
        return false;
    }

  private:
    int fd_ = -1;
};

// A private ports directory: XDG_CONFIG_HOME points at a fresh temporary
// folder for the life of the object.
class TempConfigHome {
  public:
    TempConfigHome() {
        char tmpl[] = "/tmp/zt-sim-test-XXXXXX";
        dir_ = mkdtemp(tmpl) ? tmpl : "";
        const char* old = getenv("XDG_CONFIG_HOME");
        if (old) old_ = old, hadOld_ = true;
        setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
    }
    ~TempConfigHome() {
        if (hadOld_)
            setenv("XDG_CONFIG_HOME", old_.c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
        std::error_code ignored;
        if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
    }
    const std::string& dir() const { return dir_; }

  private:
    std::string dir_;
    std::string old_;
    bool hadOld_ = false;
};

// A record frame as the boot loader wants it, built here from its layout
// so the tests do not lean on the program's frame code.
inline Bytes Frame(std::uint8_t command, std::uint16_t word, const Bytes& data16) {
    Bytes f;
    f.reserve(4 + data16.size());
    f.push_back(command);
    f.push_back(std::uint8_t(word >> 8));
    f.push_back(std::uint8_t(word & 0xFF));
    for (std::uint8_t b : data16) f.push_back(b);
    std::uint8_t sum = 0;
    for (std::uint8_t b : f) sum = std::uint8_t(sum + b);
    f.push_back(std::uint8_t(-sum));
    return f;
}

inline Bytes Pattern(std::size_t n, std::uint8_t seed) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = std::uint8_t(seed + i * 7);
    return b;
}

}  // namespace zt::sim::test
