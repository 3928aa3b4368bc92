#pragma once
// A virtual keyer on a pseudo-terminal. It runs its own thread that reads
// what the program on the slave side sends, checks the line settings the
// program applied, and answers as the chip would (see keyer.h). Every
// public member is safe to call from any thread.
//
// Line speed check: the chip listens at 1200 baud, or 9600 once its boot
// loader has taken 35. A byte that arrives while the slave is set to
// another speed or to anything but 8N1 is garbled, as it would be on a
// wire: the chip drops it together with any command or frame it was in the
// middle of, and sends nothing for it. (A pseudo-terminal always reports 8
// data bits without parity, so of the framing only the stop bits can be
// checked.)
//
// The simulator holds a descriptor on the slave itself for its whole life
// and follows the hosts' opens and closes. When the last host lets go, it
// clears the exclusive flag the host may have left behind (a program that
// is killed never clears it, and the slave outlives it because the master
// is still open) and drops replies nobody is left to read.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "sim/keyer.h"
#include "system/pty.h"

namespace zt::sim {

struct Config {
    Identity identity;
    Faults faults;
    bool bootLoaderOnly = false;  // no firmware: the boot loader answers the echo with AA
    bool pace = false;            // one byte per character time (10 bits) each way
    int com = 0;                  // register the slave as comN; 0 leaves the ports directory alone
    bool replaceLink = false;     // take comN over even from a device that is present
    std::string logPath;          // hex traffic log: a file, "-" for stderr, empty for none
    std::string settingsPath;     // rewritten after every settings store, when set
    std::string programPath;      // rewritten at every restart out of the boot loader, when set
    int partialTimeoutMs = 1000;  // a half-received command is dropped after this quiet time
    std::size_t receivedLimit = 1 << 20;  // Received() keeps the latest this many bytes
};

struct Counters {
    std::size_t taken = 0;          // bytes taken in since the start
    std::size_t garbled = 0;        // of which arrived at the wrong line settings
    std::size_t framesStored = 0;   // boot-loader frames written to program memory
    std::size_t framesRefused = 0;  // frames answered with anything but 3C
    std::size_t restarts = 0;       // 5A restarts
};

// Where the time of each exchange (a request, then its reply) went, taken
// at the pseudo-terminal to the microsecond, so that a benchmark can tell the
// program's own time from the simulator's.
struct Timing {
    // The host's turnaround: from the reply's last byte going out to the next
    // request's first byte coming in.
    std::vector<std::chrono::microseconds> turnarounds;
    // How far the paced bytes ran behind the line's own rate: for each
    // exchange, the time from the request's first byte to the reply's last,
    // less the line time of both at the chip's rate. Zero unpaced.
    std::chrono::microseconds lag{0};
    std::size_t exchanges = 0;
};

class Simulator {
  public:
    explicit Simulator(Config config = {});
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Opens the pseudo-terminal, registers the link, opens the log and
    // starts the thread. False with a reason when any of that fails.
    bool Start(std::string* error = nullptr);
    // Ends the thread, removes the link and closes the log; returns promptly.
    void Stop();
    // Blocks until the thread has ended (Stop from elsewhere, or a hang-up).
    void Wait();

    std::string DevicePath() const;  // the slave, e.g. /dev/pts/5
    std::string LinkPath() const;    // the comN link, empty when none was made

    void SetIdentity(const Identity& identity);
    void SetFaults(const Faults& faults);
    void SetPacing(bool pace);
    Identity identity() const;
    Faults faults() const;
    // Switches the chip off and on (see Keyer::PowerCycle).
    void PowerCycle();

    Mode mode() const;
    Counters counters() const;
    // The line settings the program has applied on the slave side.
    PtyLine HostLine() const;

    // What the chip has taken in since the start or the last clear, at most
    // the latest Config::receivedLimit bytes.
    std::vector<std::uint8_t> Received() const;
    // Clears Received() and timing().
    void ClearReceived();
    // The exchanges since the start or the last clear.
    Timing timing() const;
    // Waits until count bytes (counted from the last clear) have been taken
    // in and whatever they called for has been sent. False on time-out or
    // when the thread has ended first.
    bool WaitForReceived(std::size_t count, std::chrono::milliseconds timeout) const;
    bool WaitForMode(Mode mode, std::chrono::milliseconds timeout) const;

    SettingsBytes settings() const;
    void SetSettings(const SettingsBytes& settings);
    ProgramMemory program() const;
    void SetProgram(const ProgramMemory& program);
    bool SaveSettings(const std::string& path, std::string* error = nullptr) const;
    bool LoadSettings(const std::string& path, std::string* error = nullptr);
    bool SaveProgram(const std::string& path, std::string* error = nullptr) const;
    bool LoadProgram(const std::string& path, std::string* error = nullptr);

  private:
    using Clock = std::chrono::steady_clock;
    struct Arrival {
        std::uint8_t byte;
        PtyLine line;  // the host's settings when it arrived
        Clock::time_point due;
    };

    void Loop();
    void ReadMaster(Clock::time_point now, std::size_t limit);
    void WatchHosts();
    void CloseDescriptors();
    void TakeDue(Clock::time_point now);
    void HoldLine(bool hold);  // needs mu_
    void Send(Clock::time_point now);
    void HangUp();
    void Wake();
    long long PollTimeoutUs(Clock::time_point now) const;  // -1: no deadline; needs mu_
    // Whether a fault set to come after this many bytes (-1: never) is due.
    bool FaultDue(long after) const;  // needs mu_
    Mode ModeLocked() const;
    Clock::duration CharTime() const;                                        // needs mu_
    void LogBytes(const char* who, const std::vector<std::uint8_t>& bytes);  // needs mu_
    void LogNote(const std::string& note);                                   // needs mu_
    void RequestIn(Clock::time_point now);                                   // needs mu_
    void ReplyOut(Clock::time_point now);                                    // needs mu_

    mutable std::mutex mu_;
    mutable std::condition_variable changed_;
    Config config_;
    Keyer keyer_;
    bool running_ = false;
    bool hungUp_ = false;  // stays set after the thread ends, until the next Start
    bool stopRequested_ = false;
    std::deque<std::uint8_t> received_;
    std::size_t receivedBase_ = 0;  // taken count at the last clear
    std::size_t taken_ = 0;
    std::size_t settled_ = 0;  // taken bytes whose replies have gone out
    std::size_t restarts_ = 0;
    std::size_t hangUpBase_ = 0;  // taken count when the faults were last set
    PtyLine lastLine_;
    bool lineKnown_ = false;
    std::FILE* log_ = nullptr;
    bool ownLog_ = false;
    Clock::time_point started_;
    std::string linkPath_;
    std::string devicePath_;
    Timing timing_;
    // The exchange under way: when its request began to come in, and the
    // bytes it has moved so far; and when the last reply went out, until the
    // next request.
    bool inExchange_ = false;
    Clock::time_point requestIn_{};
    std::size_t exchangeBytes_ = 0;
    std::optional<Clock::time_point> replyOut_;

    PtyClaim claim_;  // while linked: the link is a live simulator's

    // Loop thread only.
    PtyMaster pty_;
    int wakeFd_ = -1;
    int slaveFd_ = -1;     // our own hold on the slave; its opens and closes are not counted
    int watchFd_ = -1;     // inotify: opens and closes of the slave
    int slaveWatch_ = -1;  // the watch on the slave itself; the one on its folder only separates
    int hostOpens_ = 0;    // host descriptions open on the slave
    bool hangUpPending_ = false;
    bool stalled_ = false;  // the slave's output is stopped: the host's writes stay with it
    std::deque<Arrival> inbox_;
    std::deque<std::uint8_t> outbox_;
    Clock::time_point nextIn_{};
    Clock::time_point nextOut_{};
    Clock::time_point lastTaken_{};
    Clock::time_point lastSent_{};
    std::thread thread_;
};

}  // namespace zt::sim
