#pragma once
// The serial port as an object: opened by COM number (or device path) with
// the keyer's line settings, used in bounded transfers, closed. Knows no
// commands. The program keeps one; the upload worker has it to itself while
// an upload runs. Not safe for two threads at once, and never needs to be.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "link/waits.h"
#include "system/serial.h"

namespace zt {

// The link status line for an open that failed ("ZT Fail:check com port").
const char* OpenFailureStatus(PortOpen outcome);

// Where the keyer is: a COM number, or a device path, which wins when given.
struct PortTarget {
    int com = 0;
    std::string device;
};

class Port {
  public:
    Port() = default;
    ~Port();
    Port(const Port&) = delete;
    Port& operator=(const Port&) = delete;

    // A failure after the device was opened leaves it open (IsOpen), as the
    // next Close expects.
    PortOpen Open(int comNumber);
    PortOpen OpenDevice(const std::string& path);
    PortOpen Open(const PortTarget& target);
    // Whether all count bytes went out within the write wait. Bytes still
    // unsent then keep going out, ahead of anything sent or read later.
    bool Write(const std::uint8_t* bytes, int count);
    // Whether all count bytes arrived within the read wait. The buffer is the
    // caller's only until Read returns: what arrives later, until the read's
    // own time-out, is drained into the port's storage before its next use.
    bool Read(std::uint8_t* buffer, int count);
    void Close();
    bool IsOpen() const { return device_ != nullptr; }
    // Waits until ms have passed since the last byte written left the wire
    // (the system takes bytes long before the line has carried them), calling
    // the wait hook as transfers do, and says whether the bytes went out and
    // the line held: NotSent when the line went away before the bytes' time
    // on the wire had passed, taking them with it, or when at the end some
    // had still not left the system (ErrorText says which).
    enum class PauseEnd { Held, NotSent, LostAfterSent };
    PauseEnd Pause(int ms);
    // Applies lineSettings() again (the upload worker's speed change).
    bool ApplyLineSettings();

    LineSettings& lineSettings() { return line_; }
    // The bounds on its transfers from now on; the operations set them.
    PortWaits& waits() { return waits_; }
    // Called now and then on the waiting thread while a transfer waits.
    void SetWaitHook(SerialTick hook) { hook_ = std::move(hook); }

    // Why the last open failed, the line went away, or what was written did
    // not go out, for a tooltip; empty after a good open and while nothing
    // has gone wrong.
    const std::string& ErrorText() const { return error_; }
    // The other end dropped the line since the port was opened.
    bool HungUp() const { return hungUp_; }
    // The line failed since the port was opened: it hung up, reported an
    // error, or did not take what was written. ErrorText says how.
    bool LineFailed() const { return device_ && !error_.empty(); }
    // Bytes of reads given up on that arrived before their own time-out.
    const std::vector<std::uint8_t>& LateBytes() const { return late_; }

  private:
    PortOpen Fail(PortOpen outcome, std::string text);
    PortOpen FailOn(const std::string& path, PortOpen outcome, int error);
    bool Result(const SerialIo& io);
    bool PushPendingWrite(Deadline deadline);
    bool AllSent();
    void DrainLateRead();

    SerialDevice* device_ = nullptr;
    LineSettings line_;
    PortWaits waits_;
    SerialTick hook_;
    std::string error_;
    bool hungUp_ = false;
    // Output the write wait gave up on; never dropped while the port is open.
    std::vector<std::uint8_t> pendingWrite_;
    // A read given up on: how many bytes it still expected, and until when.
    int lateWanted_ = 0;
    Deadline lateUntil_{};
    std::vector<std::uint8_t> late_;
    // When the bytes written so far will have left the wire, at the line's rate.
    Deadline lineFreeAt_{};
};

}  // namespace zt
