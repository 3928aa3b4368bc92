#include "link/port.h"

#include <chrono>
#include <thread>
#include <vector>

#include "common/app_state.h"
#include "platform/paths.h"
#include "platform/serial.h"

namespace zt {

LineSettings lineSettings;

namespace {

int portFd = -1;
PortWaits waits;
PortWaitHook waitHook = nullptr;
std::string lastError;

// A read that ReadPort gave up on. The keyer's port would go on filling the
// caller's buffer until its own time-out, so we do the same before the next
// use of the port.
struct PendingRead {
    std::uint8_t* buffer = nullptr;
    int count = 0;
    int arrived = 0;
    Deadline until{};
};
PendingRead pendingRead;

// The tail of a write that WritePort gave up on. It is never cancelled: the
// settings write counts on every byte reaching the keyer during its pause.
std::vector<std::uint8_t> pendingWrite;

int Fail(int code, std::string text) {
    lastError = std::move(text);
    return code;
}

std::string OpenFailureText(const std::string& path, const SerialOpenResult& opened) {
    switch (opened.outcome) {
        case SerialOpenOutcome::Missing:
            return path + ": no such device";
        case SerialOpenOutcome::Busy:
            return path + ": in use by another program";
        case SerialOpenOutcome::Denied:
            return path +
                   ": permission denied; add your user to the dialout group and log in again";
        default:
            return path + ": " + SerialErrorText(opened.error);
    }
}

SerialLine ToSerialLine(const LineSettings& s) {
    return {s.baudRate, s.byteSize,   s.parity,    s.stopBits, s.dtrOn,
            s.rtsOn,    s.xonXoffOut, s.xonXoffIn, s.ctsFlow};
}

// Everything as the port reported it; DSR flow control has no POSIX
// counterpart and stays off.
void TakeLine(const SerialLine& line) {
    lineSettings = {line.baudRate, line.byteSize,   line.parity,    line.stopBits, line.dtrOn,
                    line.rtsOn,    line.xonXoffOut, line.xonXoffIn, line.ctsFlow,  false};
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

// Lets a transfer that an earlier wait gave up on run to its end before the
// port is used for anything else, so bytes stay in order.
void FinishPending() {
    if (!pendingWrite.empty()) {
        SerialWrite(portFd, pendingWrite.data(), static_cast<int>(pendingWrite.size()),
                    DeadlineIn(waits.writeMs), waitHook);
        pendingWrite.clear();
    }
    if (pendingRead.buffer) {
        PendingRead p = pendingRead;
        pendingRead = {};
        SerialRead(portFd, p.buffer + p.arrived, p.count - p.arrived, p.until, waitHook);
    }
}

int TransferResult(const SerialIo& io) {
    if (io.end == SerialEnd::HungUp) lastError = "the line hung up";
    if (io.end == SerialEnd::Failed) lastError = SerialErrorText(io.error);
    return io.end == SerialEnd::Done ? 1 : 0;
}

}  // namespace

const PortWaits& portWaits() {
    return waits;
}
PortWaits& PortWaitsForTesting() {
    return waits;
}
void SetPortWaitHook(PortWaitHook hook) {
    waitHook = hook;
}
const std::string& PortErrorText() {
    return lastError;
}

int OpenPort(int comNumber) {
    // As with an exclusive open of a port we already hold: refused, the held one kept.
    if (portFd >= 0) return Fail(kPortOpenFailed, "a port is already open");
    std::string path = ComDevicePath(comNumber);
    if (path.empty())
        return Fail(kPortOpenFailed, "COM" + std::to_string(comNumber) + ": no device");
    SerialOpenResult opened = SerialOpen(path);
    if (opened.outcome != SerialOpenOutcome::Opened)
        return Fail(kPortOpenFailed, OpenFailureText(path, opened));
    portFd = opened.fd;
    appState.portOpen = 1;
    lastError.clear();

    // From here on a failure leaves the port held; the next ClosePort releases it.
    SerialLine found;
    if (int error = SerialGetLine(portFd, found))
        return Fail(kPortGetStateFailed, path + ": " + SerialErrorText(error));
    TakeLine(found);
    SetKeyerLine(lineSettings);
    if (int error = SerialSetLine(portFd, ToSerialLine(lineSettings)))
        return Fail(kPortSetStateFailed, path + ": " + SerialErrorText(error));
    // Let the line settle after the change, then drop whatever came in
    // meanwhile along with replies left over from before.
    std::this_thread::sleep_for(std::chrono::milliseconds(waits.settleMs));
    if (int error = SerialPurgeInput(portFd))
        return Fail(kPortPurgeFailed, path + ": " + SerialErrorText(error));
    return kPortOk;
}

int WritePort(const std::uint8_t* bytes, int count) {
    if (portFd < 0 || count < 0) return 0;
    FinishPending();
    SerialIo io = SerialWrite(portFd, bytes, count, DeadlineIn(waits.writeMs), waitHook);
    if (io.end == SerialEnd::TimedOut) pendingWrite.assign(bytes + io.count, bytes + count);
    return TransferResult(io);
}

int ReadPort(std::uint8_t* buffer, int count) {
    if (portFd < 0 || count < 0) return 0;
    FinishPending();
    Deadline began = SerialClock::now();
    SerialIo io = SerialRead(portFd, buffer, count, began + std::chrono::milliseconds(waits.readMs),
                             waitHook);
    if (io.end == SerialEnd::TimedOut)
        pendingRead = {buffer, count, io.count,
                       began + std::chrono::milliseconds(waits.readTimeoutMs)};
    return TransferResult(io);
}

void ClosePort() {
    if (portFd >= 0) {
        FinishPending();
        SerialClose(portFd, DeadlineIn(waits.writeMs));
    }
    portFd = -1;
    appState.portOpen = 0;
}

int ApplyLineSettings() {
    if (portFd < 0) return 0;
    FinishPending();  // a write still pending finishes at the old speed
    int error = SerialSetLine(portFd, ToSerialLine(lineSettings));
    if (error) lastError = SerialErrorText(error);
    return error == 0 ? 1 : 0;
}

}  // namespace zt
