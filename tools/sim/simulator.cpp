#include "sim/simulator.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace zt::sim {
namespace {

using std::chrono::duration_cast;
using std::chrono::microseconds;
using std::chrono::milliseconds;

// Without an inotify watch, how often to look whether the slave is open again.
constexpr int kReopenPollMs = 50;
// Closing the master throws away what the host has not read yet, so the
// line stays up this long after the last reply byte before a hang-up.
constexpr auto kHangUpLinger = std::chrono::milliseconds(200);

std::string HexBytes(const std::uint8_t* bytes, std::size_t n) {
    std::string text;
    char buf[4];
    for (std::size_t i = 0; i < n; ++i) {
        std::snprintf(buf, sizeof buf, i ? " %02x" : "%02x", bytes[i]);
        text += buf;
    }
    return text;
}

void Drain(int fd) {
    char buf[512];
    while (read(fd, buf, sizeof buf) > 0) {
    }
}

}  // namespace

Simulator::Simulator(Config config) : config_(std::move(config)), keyer_(config_.bootLoaderOnly) {
    keyer_.SetIdentity(config_.identity);
    keyer_.SetFaults(config_.faults);
}

Simulator::~Simulator() {
    Stop();
}

bool Simulator::Start(std::string* error) {
    if (thread_.joinable()) {
        if (error) *error = "the simulator is already running";
        return false;
    }
    if (!pty_.Open(error)) return false;
    auto fail = [&](const std::string& why) {
        if (error && !why.empty()) *error = why;
        pty_.Close();
        if (wakeFd_ >= 0) close(wakeFd_);
        if (watchFd_ >= 0) close(watchFd_);
        wakeFd_ = watchFd_ = -1;
        return false;
    };
    wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd_ < 0) return fail(std::string("eventfd: ") + std::strerror(errno));
    watchFd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watchFd_ >= 0 && inotify_add_watch(watchFd_, pty_.SlavePath().c_str(), IN_OPEN) < 0) {
        close(watchFd_);  // falls back to looking now and then
        watchFd_ = -1;
    }

    std::string linkPath;
    if (config_.com > 0) {
        std::string why;
        LinkResult linked =
            RegisterComLink(config_.com, pty_.SlavePath(), config_.replaceLink, &why);
        if (linked == LinkResult::kInUse || linked == LinkResult::kFailed) return fail(why);
        linkPath = ComLinkPath(config_.com);
    }

    std::FILE* log = nullptr;
    bool ownLog = false;
    if (config_.logPath == "-") {
        log = stderr;
    } else if (!config_.logPath.empty()) {
        log = std::fopen(config_.logPath.c_str(), "w");
        if (!log) {
            std::string why = "cannot open " + config_.logPath + ": " + std::strerror(errno);
            if (!linkPath.empty()) UnregisterComLink(config_.com, pty_.SlavePath());
            return fail(why);
        }
        std::setvbuf(log, nullptr, _IOLBF, 0);
        ownLog = true;
    }

    {
        std::lock_guard lock(mu_);
        devicePath_ = pty_.SlavePath();
        linkPath_ = linkPath;
        log_ = log;
        ownLog_ = ownLog;
        started_ = Clock::now();
        lastTaken_ = started_;
        running_ = true;
        hungUp_ = false;
        stopRequested_ = false;
        lineKnown_ = false;
        LogNote("keyer on " + devicePath_ + (linkPath_.empty() ? "" : " as " + linkPath_) + ", " +
                ModeName(keyer_.mode()));
    }
    slaveClosed_ = false;
    hostPresent_ = false;
    hangUpPending_ = false;
    inbox_.clear();
    outbox_.clear();
    thread_ = std::thread(&Simulator::Loop, this);
    return true;
}

void Simulator::Stop() {
    {
        std::lock_guard lock(mu_);
        stopRequested_ = true;
    }
    Wake();
    if (thread_.joinable()) thread_.join();

    std::lock_guard lock(mu_);
    pty_.Close();
    if (wakeFd_ >= 0) close(wakeFd_);
    if (watchFd_ >= 0) close(watchFd_);
    wakeFd_ = watchFd_ = -1;
    if (!linkPath_.empty()) UnregisterComLink(config_.com, devicePath_);
    linkPath_.clear();
    if (log_) {
        LogNote("stopped");
        if (ownLog_) std::fclose(log_);
    }
    log_ = nullptr;
    ownLog_ = false;
}

void Simulator::Wait() {
    std::unique_lock lock(mu_);
    changed_.wait(lock, [this] { return !running_; });
}

void Simulator::Wake() {
    if (wakeFd_ < 0) return;
    std::uint64_t one = 1;
    [[maybe_unused]] ssize_t n = write(wakeFd_, &one, sizeof one);
}

std::string Simulator::DevicePath() const {
    std::lock_guard lock(mu_);
    return devicePath_;
}

std::string Simulator::LinkPath() const {
    std::lock_guard lock(mu_);
    return linkPath_;
}

void Simulator::SetIdentity(const Identity& identity) {
    std::lock_guard lock(mu_);
    config_.identity = identity;
    keyer_.SetIdentity(identity);
}

void Simulator::SetFaults(const Faults& faults) {
    {
        std::lock_guard lock(mu_);
        config_.faults = faults;
        keyer_.SetFaults(faults);
        hangUpBase_ = taken_;
    }
    Wake();  // a hang-up due at once should happen now
}

void Simulator::SetPacing(bool pace) {
    std::lock_guard lock(mu_);
    config_.pace = pace;
}

Identity Simulator::identity() const {
    std::lock_guard lock(mu_);
    return config_.identity;
}

Faults Simulator::faults() const {
    std::lock_guard lock(mu_);
    return config_.faults;
}

void Simulator::PowerCycle() {
    std::lock_guard lock(mu_);
    keyer_.PowerCycle();
    LogNote(std::string("power cycled: ") + ModeName(keyer_.mode()));
    changed_.notify_all();
}

Mode Simulator::mode() const {
    std::lock_guard lock(mu_);
    return ModeLocked();
}

Mode Simulator::ModeLocked() const {
    if (hungUp_) return Mode::kHungUp;
    return running_ ? keyer_.mode() : Mode::kStopped;
}

Counters Simulator::counters() const {
    std::lock_guard lock(mu_);
    Counters c;
    c.taken = taken_;
    c.garbled = keyer_.garbled();
    c.framesStored = keyer_.framesStored();
    c.framesRefused = keyer_.framesRefused();
    c.restarts = restarts_;
    return c;
}

PtyLine Simulator::HostLine() const {
    std::lock_guard lock(mu_);
    PtyLine line;
    if (!pty_.ReadLine(&line)) return lastLine_;
    return line;
}

std::vector<std::uint8_t> Simulator::Received() const {
    std::lock_guard lock(mu_);
    return received_;
}

void Simulator::ClearReceived() {
    std::lock_guard lock(mu_);
    received_.clear();
    receivedBase_ = taken_;
}

bool Simulator::WaitForReceived(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mu_);
    auto done = [&] { return settled_ >= receivedBase_ + count; };
    changed_.wait_for(lock, timeout, [&] { return done() || !running_; });
    return done();
}

bool Simulator::WaitForMode(Mode mode, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mu_);
    return changed_.wait_for(lock, timeout, [&] { return ModeLocked() == mode; });
}

SettingsBytes Simulator::settings() const {
    std::lock_guard lock(mu_);
    return keyer_.settings();
}

void Simulator::SetSettings(const SettingsBytes& settings) {
    std::lock_guard lock(mu_);
    keyer_.settings() = settings;
}

ProgramMemory Simulator::program() const {
    std::lock_guard lock(mu_);
    return keyer_.program();
}

void Simulator::SetProgram(const ProgramMemory& program) {
    std::lock_guard lock(mu_);
    keyer_.program() = program;
}

bool Simulator::SaveSettings(const std::string& path, std::string* error) const {
    return WriteSettingsFile(path, settings(), error);
}

bool Simulator::LoadSettings(const std::string& path, std::string* error) {
    SettingsBytes bytes = settings();
    if (!ReadSettingsFile(path, &bytes, error)) return false;
    SetSettings(bytes);
    return true;
}

bool Simulator::SaveProgram(const std::string& path, std::string* error) const {
    return WriteProgramFile(path, program(), error);
}

bool Simulator::LoadProgram(const std::string& path, std::string* error) {
    ProgramMemory words = program();
    if (!ReadProgramFile(path, &words, error)) return false;
    SetProgram(words);
    return true;
}

// ---- the thread ----

void Simulator::Loop() {
    for (;;) {
        auto now = Clock::now();
        TakeDue(now);
        Send(now);
        {
            std::lock_guard lock(mu_);
            if (outbox_.empty() && settled_ != taken_) {
                settled_ = taken_;
                changed_.notify_all();
            }
            if (stopRequested_) break;
        }
        if (hangUpPending_ && outbox_.empty() && now >= lastSent_ + kHangUpLinger) {
            HangUp();
            break;
        }

        pollfd fds[2];
        nfds_t n = 0;
        fds[n++] = {wakeFd_, POLLIN, 0};
        bool pace;
        int timeout;
        {
            std::lock_guard lock(mu_);
            pace = config_.pace;
            timeout = PollTimeoutMs(now);
        }
        if (hangUpPending_ && outbox_.empty()) {
            auto left = duration_cast<milliseconds>(lastSent_ + kHangUpLinger - now).count() + 1;
            if (timeout < 0 || timeout > left) timeout = int(std::max<long long>(left, 0));
        }
        if (!slaveClosed_) {
            short events = POLLIN;
            if (!outbox_.empty() && (!pace || nextOut_ <= now)) events |= POLLOUT;
            fds[n++] = {pty_.fd(), events, 0};
        } else if (watchFd_ >= 0) {
            fds[n++] = {watchFd_, POLLIN, 0};
        } else if (timeout < 0 || timeout > kReopenPollMs) {
            timeout = kReopenPollMs;
        }
        if (poll(fds, n, timeout) < 0 && errno != EINTR) break;
        now = Clock::now();

        if (fds[0].revents & POLLIN) Drain(wakeFd_);
        if (n > 1 && fds[1].revents) {
            if (slaveClosed_) {
                Drain(watchFd_);
                slaveClosed_ = false;  // opened again; the next poll tells
            } else if (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) {
                ReadMaster(now, (fds[1].revents & (POLLHUP | POLLERR)) != 0);
            }
        } else if (slaveClosed_ && watchFd_ < 0) {
            slaveClosed_ = false;
        }
    }
    std::lock_guard lock(mu_);
    running_ = false;
    changed_.notify_all();
}

void Simulator::ReadMaster(Clock::time_point now, bool hungUp) {
    PtyLine line;
    bool lineRead = pty_.ReadLine(&line);
    std::uint8_t buf[4096];
    for (;;) {
        ssize_t got = read(pty_.fd(), buf, sizeof buf);
        if (got < 0 && errno == EINTR) continue;
        bool drained = got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
        if (drained && !hungUp) return;
        std::lock_guard lock(mu_);
        if (got <= 0) {
            // EIO: nobody holds the slave any more. Replies would go nowhere.
            outbox_.clear();
            // Old open events go; one after this drain means a new open. If
            // the slave was opened again before it, the master says so.
            if (watchFd_ >= 0) Drain(watchFd_);
            pollfd p{pty_.fd(), 0, 0};
            if (poll(&p, 1, 0) == 1 && (p.revents & POLLHUP)) {
                slaveClosed_ = true;
                if (hostPresent_) LogNote("host closed the port");
                hostPresent_ = false;
            }
            return;
        }
        hostPresent_ = true;
        if (!lineRead) line = lastLine_;
        if (!lineKnown_ || line != lastLine_) {
            LogNote("host line " + DescribeLine(line));
            lastLine_ = line;
            lineKnown_ = true;
        }
        for (ssize_t i = 0; i < got; ++i) {
            Clock::time_point due = now;
            // A byte has fully arrived one character time after it started.
            if (config_.pace) due = std::max(now, nextIn_) + CharTime();
            nextIn_ = due;
            inbox_.push_back({buf[i], line, due});
        }
    }
}

void Simulator::TakeDue(Clock::time_point now) {
    std::lock_guard lock(mu_);
    std::vector<std::uint8_t> hostRun;  // consecutive host bytes, logged as one line
    auto flushHost = [&] {
        if (!hostRun.empty()) LogBytes("host", hostRun);
        hostRun.clear();
    };
    auto hangUpDue = [&] {
        long after = config_.faults.hangUpAfter;
        return after >= 0 && taken_ - hangUpBase_ >= std::size_t(after);
    };
    bool tookAny = false;
    while (!hangUpPending_ && !inbox_.empty() && inbox_.front().due <= now) {
        if (hangUpDue()) break;
        Arrival a = inbox_.front();
        inbox_.pop_front();
        bool garbled = !(a.line.baud == keyer_.LineRate() && a.line.Is8N1());
        Keyer::Result r = keyer_.Take(a.byte, garbled);
        received_.push_back(a.byte);
        ++taken_;
        tookAny = true;
        lastTaken_ = now;
        hostRun.push_back(a.byte);
        if (garbled) {
            flushHost();
            LogNote("garbled: host at " + DescribeLine(a.line) + ", chip listens at " +
                    std::to_string(keyer_.LineRate()) + " 8N1");
        }
        if (!r.notes.empty() || !r.reply.empty()) flushHost();
        for (const std::string& note : r.notes) LogNote(note);
        if (!r.reply.empty()) LogBytes("keyer", r.reply);
        // A reply's first byte reaches the host one character time after it
        // starts going out, so it is written no sooner than that.
        if (config_.pace && outbox_.empty() && !r.reply.empty())
            nextOut_ = std::max(nextOut_, now + CharTime());
        outbox_.insert(outbox_.end(), r.reply.begin(), r.reply.end());
        if (r.settingsStored && !config_.settingsPath.empty()) {
            std::string why;
            if (!WriteSettingsFile(config_.settingsPath, keyer_.settings(), &why)) LogNote(why);
        }
        if (r.restarted) {
            ++restarts_;
            std::string why;
            if (!config_.programPath.empty() &&
                !WriteProgramFile(config_.programPath, keyer_.program(), &why))
                LogNote(why);
        }
    }
    flushHost();
    if (!hangUpPending_ && hangUpDue()) {
        hangUpPending_ = true;
        inbox_.clear();
        LogNote("hanging up after " + std::to_string(taken_ - hangUpBase_) + " bytes");
    }
    if (keyer_.MidCommand() && config_.partialTimeoutMs > 0 &&
        (inbox_.empty() || inbox_.front().due > now) &&
        now - lastTaken_ >= milliseconds(config_.partialTimeoutMs)) {
        for (const std::string& note : keyer_.Abandon().notes) LogNote(note);
    }
    if (tookAny) changed_.notify_all();
}

void Simulator::Send(Clock::time_point now) {
    if (outbox_.empty()) return;
    if (slaveClosed_) {
        outbox_.clear();
        return;
    }
    bool pace;
    {
        std::lock_guard lock(mu_);
        pace = config_.pace;
    }
    if (pace) {
        if (nextOut_ > now) return;
        std::uint8_t b = outbox_.front();
        ssize_t put = write(pty_.fd(), &b, 1);
        if (put == 1) {
            outbox_.pop_front();
            lastSent_ = now;
            std::lock_guard lock(mu_);  // CharTime reads the chip's rate
            nextOut_ = now + CharTime();
        } else if (put < 0 && errno != EAGAIN && errno != EINTR) {
            outbox_.clear();
        }
        return;
    }
    std::vector<std::uint8_t> bytes(outbox_.begin(), outbox_.end());
    ssize_t put = write(pty_.fd(), bytes.data(), bytes.size());
    if (put > 0) {
        outbox_.erase(outbox_.begin(), outbox_.begin() + put);
        lastSent_ = now;
    } else if (put < 0 && errno != EAGAIN && errno != EINTR)
        outbox_.clear();
}

void Simulator::HangUp() {
    std::lock_guard lock(mu_);
    pty_.Close();
    hungUp_ = true;  // with the close, so nobody sees one without the other
    changed_.notify_all();
    LogNote("line dropped");
}

int Simulator::PollTimeoutMs(Clock::time_point now) const {
    Clock::time_point wake = Clock::time_point::max();
    if (!inbox_.empty()) wake = std::min(wake, inbox_.front().due);
    if (config_.pace && !outbox_.empty() && nextOut_ > now) wake = std::min(wake, nextOut_);
    if (keyer_.MidCommand() && config_.partialTimeoutMs > 0)
        wake = std::min(wake, lastTaken_ + milliseconds(config_.partialTimeoutMs));
    if (wake == Clock::time_point::max()) return -1;
    if (wake <= now) return 0;
    // Rounded up, so a wait never ends just short of its deadline and spins.
    auto us = duration_cast<microseconds>(wake - now).count();
    return int(std::min<long long>((us + 999) / 1000, 60'000));
}

Simulator::Clock::duration Simulator::CharTime() const {
    return microseconds(10'000'000 / keyer_.LineRate());  // 10 bits a character
}

void Simulator::LogBytes(const char* who, const std::vector<std::uint8_t>& bytes) {
    if (!log_) return;
    double t = std::chrono::duration<double>(Clock::now() - started_).count();
    for (std::size_t i = 0; i < bytes.size(); i += 16) {
        std::size_t n = std::min<std::size_t>(16, bytes.size() - i);
        std::fprintf(log_, "%9.3f %-5s %s\n", t, who, HexBytes(bytes.data() + i, n).c_str());
    }
}

void Simulator::LogNote(const std::string& note) {
    if (!log_) return;
    double t = std::chrono::duration<double>(Clock::now() - started_).count();
    std::fprintf(log_, "%9.3f %-5s %s\n", t, "note", note.c_str());
}

}  // namespace zt::sim
