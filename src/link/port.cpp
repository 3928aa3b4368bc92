#include "link/port.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "system/device_access.h"
#include "system/paths.h"

namespace zt {

namespace {

struct OpenRow {
    PortOpen outcome;
    const char* status;  // the link status line
    const char* cause;   // after the device's path; none: the system's words for its error
};
const OpenRow kOpenRows[] = {
    {PortOpen::Failed, "ZT Fail:check com port", nullptr},
    {PortOpen::Missing, "ZT Fail:check com port", "no such device"},
    {PortOpen::Busy, "ZT Fail:check com port", "in use by another program"},
    {PortOpen::Denied, "ZT Fail:check com port", "permission denied"},
    {PortOpen::NotSerial, "ZT Fail:check com port", "not a serial port"},
    {PortOpen::GetStateFailed, "ZT Fail:get comm state", nullptr},
    {PortOpen::SetStateFailed, "ZT Fail:set comm state", nullptr},
    {PortOpen::PurgeFailed, "ZT Fail:comm purge", nullptr},
};

const OpenRow& RowOf(PortOpen outcome) {
    for (const OpenRow& r : kOpenRows)
        if (r.outcome == outcome) return r;
    return kOpenRows[0];
}

// "/dev/ttyUSB0: permission denied; ...", with the advice that may help.
std::string OpenTroubleText(const std::string& path, PortOpen outcome, int error) {
    const char* cause = RowOf(outcome).cause;
    std::string text = path + ": " + (cause ? cause : SerialErrorText(error));
    const std::string advice = outcome == PortOpen::Denied ? DeniedAdvice(path) : "";
    return advice.empty() ? text : text + "; " + advice;
}

// The keyer's line: 1200 8N1, DTR held on, RTS held off, no software flow
// control (the settings blocks carry XON/XOFF values as data). Hardware flow
// control stays as found.
void SetKeyerLine(LineSettings& s) {
    s.baudRate = 1200;
    s.byteSize = 8;
    s.parity = 0;
    s.stopBits = 0;
    s.dtrOn = true;
    s.rtsOn = false;
    s.xonXoffOut = false;
    s.xonXoffIn = false;
}

}  // namespace

const char* OpenFailureStatus(PortOpen outcome) {
    return RowOf(outcome).status;
}

Port::~Port() {
    Close();
}

PortOpen Port::Fail(PortOpen outcome, std::string text) {
    error_ = std::move(text);
    return outcome;
}

PortOpen Port::FailOn(const std::string& path, PortOpen outcome, int error) {
    return Fail(outcome, OpenTroubleText(path, outcome, error));
}

bool Port::Result(const SerialIo& io) {
    if (io.end == SerialEnd::HungUp) {
        hungUp_ = true;
        error_ = "the line hung up";
    } else if (io.end == SerialEnd::Failed) {
        error_ = SerialErrorText(io.error);
    }
    return io.end == SerialEnd::Done;
}

PortOpen Port::Open(int comNumber) {
    std::string path = ComDevicePath(comNumber);
    if (path.empty())
        return Fail(PortOpen::Missing, "COM" + std::to_string(comNumber) + ": no device");
    return OpenDevice(path);
}

PortOpen Port::Open(const PortTarget& target) {
    return target.device.empty() ? Open(target.com) : OpenDevice(target.device);
}

PortOpen Port::OpenDevice(const std::string& path) {
    // As with an exclusive open of a port we already hold: refused, the held one kept.
    if (device_) return Fail(PortOpen::Busy, "a port is already open");
    SerialOpenResult opened = SerialOpen(path);
    if (opened.outcome != PortOpen::Ok) return FailOn(path, opened.outcome, opened.error);
    device_ = opened.device;
    error_.clear();
    hungUp_ = false;
    late_.clear();

    // From here on a failure leaves the port held; the next Close releases it.
    if (int error = SerialGetLine(device_, line_))
        return FailOn(path, PortOpen::GetStateFailed, error);
    SetKeyerLine(line_);
    if (int error = SerialSetLine(device_, line_))
        return FailOn(path, PortOpen::SetStateFailed, error);
    // Let the line settle after the change, then drop whatever came in
    // meanwhile along with replies left over from before.
    std::this_thread::sleep_for(std::chrono::milliseconds(waits_.settleMs));
    if (int error = SerialPurgeInput(device_)) return FailOn(path, PortOpen::PurgeFailed, error);
    return PortOpen::Ok;
}

// Output that an earlier wait gave up on goes first, so bytes stay in order.
// What does not get out by the deadline stays pending; a line that failed
// takes nothing more. Whether everything went out.
bool Port::PushPendingWrite(Deadline deadline) {
    if (pendingWrite_.empty()) return true;
    SerialIo io = SerialWrite(device_, pendingWrite_.data(), static_cast<int>(pendingWrite_.size()),
                              deadline, hook_);
    pendingWrite_.erase(pendingWrite_.begin(), pendingWrite_.begin() + io.count);
    if (io.end == SerialEnd::HungUp || io.end == SerialEnd::Failed) pendingWrite_.clear();
    if (io.end == SerialEnd::TimedOut) {
        const std::string wait = " in " + std::to_string(waits_.writeMs) + " ms";
        error_ = io.count == 0
                     ? "nothing went out" + wait
                     : std::to_string(pendingWrite_.size()) + " bytes did not go out" + wait;
    }
    return Result(io);
}

// Nothing left here, in the device's queue, or held back by the line.
bool Port::AllSent() {
    SerialOutput output;
    if (int error = SerialOutputState(device_, output)) {
        error_ = SerialErrorText(error);
        return false;
    }
    const std::size_t left = pendingWrite_.size() + static_cast<std::size_t>(output.queued);
    if (left > 0)
        error_ = std::to_string(left) + " bytes had not gone out";
    else if (output.held)
        error_ = "the line held back what was written";
    return left == 0 && !output.held;
}

// The keyer's port would go on taking a given-up read's bytes until that
// read's own time-out; so does this one, into storage of its own, before the
// port is used again. Anything later is the next read's.
void Port::DrainLateRead() {
    if (lateWanted_ <= 0) return;
    std::vector<std::uint8_t> arrived(static_cast<std::size_t>(lateWanted_));
    lateWanted_ = 0;
    SerialIo io =
        SerialRead(device_, arrived.data(), static_cast<int>(arrived.size()), lateUntil_, hook_);
    late_.insert(late_.end(), arrived.begin(), arrived.begin() + io.count);
    Result(io);
}

bool Port::Write(const std::uint8_t* bytes, int count) {
    if (!device_ || count < 0) return false;
    DrainLateRead();
    pendingWrite_.insert(pendingWrite_.end(), bytes, bytes + count);
    // Start, data, parity and stop bits of each byte at the line's rate.
    const int bits = 1 + line_.byteSize + (line_.parity ? 1 : 0) + (line_.stopBits ? 2 : 1);
    const auto lineTime = std::chrono::microseconds(
        line_.baudRate > 0 ? std::int64_t(count) * bits * 1000000 / line_.baudRate : 0);
    lineFreeAt_ = std::max(SerialClock::now(), lineFreeAt_) +
                  std::chrono::duration_cast<SerialClock::duration>(lineTime);
    return PushPendingWrite(DeadlineIn(waits_.writeMs));
}

bool Port::Read(std::uint8_t* buffer, int count) {
    if (!device_ || count < 0) return false;
    PushPendingWrite(DeadlineIn(waits_.writeMs));
    DrainLateRead();
    Deadline began = SerialClock::now();
    SerialIo io =
        SerialRead(device_, buffer, count, began + std::chrono::milliseconds(waits_.readMs), hook_);
    if (io.end == SerialEnd::TimedOut) {
        lateWanted_ = count - io.count;
        lateUntil_ = began + std::chrono::milliseconds(waits_.readTimeoutMs);
        late_.clear();
    }
    return Result(io);
}

Port::PauseEnd Port::Pause(int ms) {
    if (!device_) return PauseEnd::NotSent;
    const Deadline sent = std::max(SerialClock::now(), lineFreeAt_);
    if (!Result(SerialWatch(device_, sent, hook_))) return PauseEnd::NotSent;
    if (!Result(SerialWatch(device_, sent + std::chrono::milliseconds(ms), hook_)))
        return PauseEnd::LostAfterSent;
    // What is still on its way after the bytes' time on the wire and the
    // pause besides is held up, not late: the keyer has not got it.
    return AllSent() ? PauseEnd::Held : PauseEnd::NotSent;
}

void Port::Close() {
    if (device_) {
        // A stuck line cannot hold up the close beyond one write wait.
        Deadline by = DeadlineIn(waits_.writeMs);
        PushPendingWrite(by);
        SerialClose(device_, by);
    }
    device_ = nullptr;
    pendingWrite_.clear();
    lateWanted_ = 0;
    lineFreeAt_ = {};  // what was on the wire is no business of the next open
}

bool Port::ApplyLineSettings() {
    if (!device_) return false;
    // Whatever is still pending finishes at the old speed.
    PushPendingWrite(DeadlineIn(waits_.writeMs));
    DrainLateRead();
    int error = SerialSetLine(device_, line_);
    if (error) error_ = SerialErrorText(error);
    return error == 0;
}

}  // namespace zt
