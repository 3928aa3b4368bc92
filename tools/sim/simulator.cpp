#include "sim/simulator.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <utility>

namespace zt::sim {
namespace {

using std::chrono::duration_cast;
using std::chrono::microseconds;
using std::chrono::milliseconds;

// The chip's UART holds two received characters and the firmware empties
// it as they come, so a paced keyer reads no further ahead than that. A
// host that writes faster backs up into the pseudo-terminal, as it would
// behind a real UART, instead of into our memory.
constexpr std::size_t kChipReceiveBuffer = 2;
// Unpaced, one pass reads at most this much before the chip takes it in,
// so a host that never stops writing cannot keep the loop reading.
constexpr std::size_t kUnpacedReadLimit = 64 * 1024;
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

std::string ErrnoText(const std::string& what) {
    return what + ": " + std::strerror(errno);
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
        CloseDescriptors();
        return false;
    };
    const std::string slave = pty_.SlavePath();
    // Ours before any host can make the slave exclusive: after that only
    // root could open it to clear the flag. Opened before the watches, so
    // it is not counted as a host.
    slaveFd_ = open(slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slaveFd_ < 0) return fail(ErrnoText("cannot open " + slave));
    termios raw{};
    if (tcgetattr(slaveFd_, &raw) != 0) return fail(ErrnoText("cannot read " + slave));
    cfmakeraw(&raw);  // an echoing line would hand our replies back to us as host bytes
    if (tcsetattr(slaveFd_, TCSANOW, &raw) != 0) return fail(ErrnoText("cannot set " + slave));
    wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd_ < 0) return fail(ErrnoText("eventfd"));
    watchFd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watchFd_ < 0) return fail(ErrnoText("inotify, needed to see hosts close the port"));
    constexpr std::uint32_t kOpenClose = IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE;
    slaveWatch_ = inotify_add_watch(watchFd_, slave.c_str(), kOpenClose);
    // The kernel folds an event into an identical one still queued, so two
    // opens in a row would count as one. The folder reports the same events
    // under its own watch, between the slave's, and none are ever in a row.
    std::string folder = slave.substr(0, slave.rfind('/'));
    if (slaveWatch_ < 0 || inotify_add_watch(watchFd_, folder.c_str(), kOpenClose) < 0)
        return fail(ErrnoText("cannot watch " + slave + " for hosts opening and closing it"));

    std::string linkPath;
    if (config_.com > 0) {
        std::string why;
        // Claimed first, so that nobody finds the link without the claim.
        if (!claim_.Take(slave, &why)) return fail(why);
        LinkResult linked =
            RegisterComLink(config_.com, pty_.SlavePath(), config_.replaceLink, &why);
        if (linked == LinkResult::kClaimed) {
            std::error_code unread;
            return fail("COM" + std::to_string(config_.com) + " is taken by another ztsim, on " +
                        std::filesystem::read_symlink(ComLinkPath(config_.com), unread).string() +
                        ": stop that one first, or pick another --com");
        }
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
    hostOpens_ = 0;
    hangUpPending_ = false;
    stalled_ = false;
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
    if (!linkPath_.empty()) UnregisterComLink(config_.com, devicePath_);
    CloseDescriptors();
    linkPath_.clear();
    if (log_) {
        LogNote("stopped");
        if (ownLog_) std::fclose(log_);
    }
    log_ = nullptr;
    ownLog_ = false;
}

void Simulator::CloseDescriptors() {
    // The watches go first, so our own close of the slave is not counted.
    for (int* fd : {&watchFd_, &wakeFd_, &slaveFd_}) {
        if (*fd >= 0) close(*fd);
        *fd = -1;
    }
    slaveWatch_ = -1;
    pty_.Close();
    claim_.Release();
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
    return {received_.begin(), received_.end()};
}

void Simulator::ClearReceived() {
    std::lock_guard lock(mu_);
    received_.clear();
    receivedBase_ = taken_;
    timing_ = {};
    replyOut_.reset();
}

Timing Simulator::timing() const {
    std::lock_guard lock(mu_);
    return timing_;
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

        bool pace;
        long long timeout;
        {
            std::lock_guard lock(mu_);
            pace = config_.pace;
            timeout = PollTimeoutUs(now);
        }
        if (hangUpPending_ && outbox_.empty()) {
            auto left = duration_cast<microseconds>(lastSent_ + kHangUpLinger - now).count() + 1;
            if (timeout < 0 || timeout > left) timeout = std::max<long long>(left, 0);
        }
        // With the inbox full the master is left unread, and so unpolled
        // for input, until the chip has taken some.
        std::size_t readLimit = pace ? kChipReceiveBuffer : kUnpacedReadLimit;
        short events = inbox_.size() < readLimit ? POLLIN : 0;
        if (!outbox_.empty() && (!pace || nextOut_ <= now)) events |= POLLOUT;
        pollfd fds[3] = {{wakeFd_, POLLIN, 0}, {watchFd_, POLLIN, 0}, {pty_.fd(), events, 0}};
        // To the microsecond: a character at 9600 baud lasts 1.04 ms, and a
        // wait rounded up to whole milliseconds would add most of another.
        const timespec wait{time_t(timeout / 1'000'000), long(timeout % 1'000'000 * 1000)};
        if (ppoll(fds, 3, timeout < 0 ? nullptr : &wait, nullptr) < 0 && errno != EINTR) break;
        now = Clock::now();

        if (fds[0].revents & POLLIN) Drain(wakeFd_);
        // A host's open is queued before anything it writes, but poll may
        // have looked at the watch just before both came; so the watch is
        // read whenever the master has news too, and first.
        if (fds[1].revents || fds[2].revents) WatchHosts();
        if (fds[2].revents & POLLIN) ReadMaster(now, readLimit);
        if (fds[2].revents & (POLLHUP | POLLERR | POLLNVAL)) {
            // Not while we hold the slave; rather stop than spin on it.
            std::lock_guard lock(mu_);
            LogNote("the pseudo-terminal failed");
            break;
        }
    }
    std::lock_guard lock(mu_);
    running_ = false;
    changed_.notify_all();
}

void Simulator::ReadMaster(Clock::time_point now, std::size_t limit) {
    PtyLine line;
    bool lineRead = pty_.ReadLine(&line);
    std::uint8_t buf[4096];
    while (inbox_.size() < limit) {
        ssize_t got = read(pty_.fd(), buf, std::min(sizeof buf, limit - inbox_.size()));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return;  // drained
        std::lock_guard lock(mu_);
        if (inbox_.empty() && outbox_.empty() && !keyer_.MidCommand()) RequestIn(now);
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
    auto hangUpDue = [&] { return FaultDue(config_.faults.hangUpAfter); };
    auto stallDue = [&] { return FaultDue(config_.faults.stallAfter); };
    bool tookAny = false;
    while (!hangUpPending_ && !inbox_.empty() && inbox_.front().due <= now) {
        if (hangUpDue() || stallDue()) break;
        Arrival a = inbox_.front();
        inbox_.pop_front();
        bool garbled = !(a.line.baud == keyer_.LineRate() && a.line.Is8N1());
        Keyer::Result r = keyer_.Take(a.byte, garbled);
        received_.push_back(a.byte);
        if (received_.size() > config_.receivedLimit) received_.pop_front();
        ++taken_;
        exchangeBytes_ += inExchange_;
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
    // Before the replies go out, so the host cannot write past the count.
    if (stallDue() != stalled_) HoldLine(!stalled_);
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

// Stopping the slave's output is what a UART holding off its sender does
// to the host: its writes wait, and time out, with nothing on the line.
void Simulator::HoldLine(bool hold) {
    if (tcflow(slaveFd_, hold ? TCOOFF : TCOON) != 0) {
        LogNote(ErrnoText(hold ? "cannot hold the line" : "cannot free the line"));
        return;
    }
    stalled_ = hold;
    LogNote(hold ? "holding the line after " + std::to_string(taken_ - hangUpBase_) + " bytes"
                 : "line free again");
}

void Simulator::Send(Clock::time_point now) {
    if (outbox_.empty()) return;
    if (hostOpens_ == 0) {
        outbox_.clear();  // would wait in the line for whoever opens it next
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
            exchangeBytes_ += inExchange_;
            if (outbox_.empty()) ReplyOut(now);
            // A byte that follows another starts where that one ended, however
            // late the loop woke; the wake-up's lateness must not slow the line.
            const Clock::duration charTime = CharTime();
            const bool following = now - nextOut_ < charTime;
            nextOut_ = (following ? nextOut_ : now) + charTime;
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
        std::lock_guard lock(mu_);
        exchangeBytes_ += inExchange_ ? std::size_t(put) : 0;
        if (outbox_.empty()) ReplyOut(now);
    } else if (put < 0 && errno != EAGAIN && errno != EINTR)
        outbox_.clear();
}

void Simulator::WatchHosts() {
    std::vector<std::string> notes;
    bool letGo = false;
    alignas(inotify_event) char buf[4096];
    // The whole queued batch before acting: the program closes and reopens
    // the port at the start of every test, and a close with the next open
    // right behind it must leave the new holder's flag alone.
    for (;;) {
        ssize_t got = read(watchFd_, buf, sizeof buf);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        for (ssize_t at = 0; at < got;) {
            const auto* e = reinterpret_cast<const inotify_event*>(buf + at);
            at += ssize_t(sizeof(inotify_event) + e->len);
            if (e->mask & IN_Q_OVERFLOW) notes.push_back("opens and closes lost; hosts miscounted");
            if (e->wd != slaveWatch_) continue;
            if ((e->mask & IN_OPEN) && hostOpens_++ == 0) notes.push_back("host opened the port");
            if ((e->mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE)) && hostOpens_ > 0 &&
                --hostOpens_ == 0) {
                notes.push_back("host closed the port");
                letGo = true;
            }
        }
    }
    if (letGo) {
        {
            std::lock_guard lock(mu_);
            inExchange_ = false;  // the next host's first request is no turnaround
            replyOut_.reset();
        }
        // Replies for the host that left never greet the next one, and the
        // exclusive flag it may have left would keep everybody out for good.
        // Done before the log, which may block, so that a host opening and
        // setting the flag in between (it would lose it) has microseconds.
        outbox_.clear();
        tcflush(slaveFd_, TCIFLUSH);
        if (hostOpens_ == 0) ioctl(slaveFd_, TIOCNXCL);
    }
    std::lock_guard lock(mu_);
    for (const std::string& note : notes) LogNote(note);
}

void Simulator::HangUp() {
    std::lock_guard lock(mu_);
    // Closing the master hangs up every descriptor on the slave; ours is
    // no use after that.
    pty_.Close();
    if (slaveFd_ >= 0) close(slaveFd_);
    slaveFd_ = -1;
    hungUp_ = true;  // with the close, so nobody sees one without the other
    changed_.notify_all();
    LogNote("line dropped");
}

long long Simulator::PollTimeoutUs(Clock::time_point now) const {
    Clock::time_point wake = Clock::time_point::max();
    // Nothing is taken while a hang-up is pending or the line is held, so
    // bytes due in the inbox would only spin us; nor is a half-received
    // command dropped while the rest of it waits there.
    const bool taking = !hangUpPending_ && !FaultDue(config_.faults.stallAfter);
    if (!inbox_.empty() && taking) wake = std::min(wake, inbox_.front().due);
    if (config_.pace && !outbox_.empty() && nextOut_ > now) wake = std::min(wake, nextOut_);
    if (keyer_.MidCommand() && config_.partialTimeoutMs > 0 && (taking || inbox_.empty()))
        wake = std::min(wake, lastTaken_ + milliseconds(config_.partialTimeoutMs));
    if (wake == Clock::time_point::max()) return -1;
    if (wake <= now) return 0;
    // Rounded up, so a wait never ends just short of its deadline and spins.
    auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wake - now).count();
    return std::min<long long>((ns + 999) / 1000, 60'000'000);
}

void Simulator::RequestIn(Clock::time_point now) {
    if (replyOut_) timing_.turnarounds.push_back(duration_cast<microseconds>(now - *replyOut_));
    replyOut_.reset();
    inExchange_ = true;
    requestIn_ = now;
    exchangeBytes_ = 0;
}

void Simulator::ReplyOut(Clock::time_point now) {
    if (!inExchange_) return;
    inExchange_ = false;
    replyOut_ = now;
    ++timing_.exchanges;
    // Unpaced, the line's rate means nothing.
    if (config_.pace)
        timing_.lag += duration_cast<microseconds>(now - requestIn_ -
                                                   CharTime() * std::int64_t(exchangeBytes_));
}

bool Simulator::FaultDue(long after) const {
    return after >= 0 && taken_ - hangUpBase_ >= std::size_t(after);
}

Simulator::Clock::duration Simulator::CharTime() const {
    return microseconds(10'000'000 / keyer_.LineRate());  // 10 bits a character
}

void Simulator::LogBytes(const char* who, const std::vector<std::uint8_t>& bytes) {
    if (!log_) return;
    double t = std::chrono::duration<double>(Clock::now() - started_).count();
    for (std::size_t i = 0; i < bytes.size(); i += 16) {
        std::size_t n = std::min<std::size_t>(16, bytes.size() - i);
        std::fprintf(log_, "%12.6f %-5s %s\n", t, who, HexBytes(bytes.data() + i, n).c_str());
    }
}

void Simulator::LogNote(const std::string& note) {
    if (!log_) return;
    double t = std::chrono::duration<double>(Clock::now() - started_).count();
    std::fprintf(log_, "%12.6f %-5s %s\n", t, "note", note.c_str());
}

}  // namespace zt::sim
