#include "system/serial.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace zt {

// The Windows side: a communications device opened for overlapped transfers.
// A write the system has taken keeps going after its wait gives up, so its
// record and bytes belong to the device until it completes; reads are
// cancelled at their deadline and so never outlive the call.
struct SerialDevice {
    HANDLE handle = INVALID_HANDLE_VALUE;
    HANDLE writeEvent = nullptr;  // manual reset, as overlapped transfers need
    OVERLAPPED write{};
    std::vector<std::uint8_t> writeBytes;
    bool writing = false;
};

std::string SerialErrorText(int error) {
    char* text = nullptr;
    // The length stored (text allocated with LocalAlloc), or 0 on failure.
    DWORD n = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(error), 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = n ? std::string(text, n) : "error " + std::to_string(error);
    if (text) LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.'))
        message.pop_back();
    return message;
}

namespace {

// ---- Opening ---------------------------------------------------------------

// A port another program holds refuses an exclusive open with
// ERROR_ACCESS_DENIED (ERROR_SHARING_VIOLATION under Wine); one that has no
// device behind it with ERROR_FILE_NOT_FOUND. A driver that is busy or
// stalled answers ERROR_GEN_FAILURE or ERROR_SEM_TIMEOUT: the port is there
// but cannot be had now.
bool HeldOrStalled(DWORD error) {
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ||
           error == ERROR_GEN_FAILURE || error == ERROR_SEM_TIMEOUT;
}

PortOpen OutcomeOf(DWORD error) {
    if (HeldOrStalled(error)) return PortOpen::Busy;
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return PortOpen::Missing;
    return PortOpen::Failed;
}

// Reads end when all their bytes are in or this long after they began. The
// waits here give up earlier and cancel the read, so this only bounds a read
// whose canceller is gone; without it, ReadFile could wait for ever or, with
// the device's earlier time-outs, return at once with nothing.
constexpr DWORD kReadTotalTimeoutMs = 4500;

void SetTimeouts(HANDLE handle) {
    COMMTIMEOUTS t{};
    t.ReadIntervalTimeout = 0;
    t.ReadTotalTimeoutMultiplier = 0;
    t.ReadTotalTimeoutConstant = kReadTotalTimeoutMs;
    t.WriteTotalTimeoutMultiplier = 0;  // writes: no time-out, the waits decide
    t.WriteTotalTimeoutConstant = 0;
    SetCommTimeouts(handle, &t);  // FALSE on failure; the waits bound every transfer anyway
}

// ---- Line settings ---------------------------------------------------------

constexpr int kSpeeds[] = {300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400};

bool Valid(const LineSettings& line) {
    return line.byteSize >= 5 && line.byteSize <= 8 && line.parity >= 0 && line.parity <= 4 &&
           (line.stopBits == 0 || line.stopBits == 2) &&
           std::find(std::begin(kSpeeds), std::end(kSpeeds), line.baudRate) != std::end(kSpeeds);
}

// A device without modem lines: a pseudo-terminal behind Wine, some USB
// bridges. The driver refuses DTR and RTS changes, and only those.
bool NoModemLines(HANDLE handle) {
    // FALSE on failure: ERROR_INVALID_PARAMETER, ERROR_NOT_SUPPORTED or the
    // status of a failed ioctl under Wine.
    return !EscapeCommFunction(handle, SETDTR) && !EscapeCommFunction(handle, CLRDTR);
}

// ---- Transfers -------------------------------------------------------------

SerialIo Ended(SerialIo io, SerialEnd end, int error) {
    io.end = end;
    io.error = error;
    return io;
}

// How the drivers report a device that went away (unplugged adapter; under
// Wine, a pseudo-terminal whose other end closed).
bool GoneAway(DWORD error) {
    return error == ERROR_DEVICE_NOT_CONNECTED || error == ERROR_BAD_COMMAND ||
           error == ERROR_ACCESS_DENIED || error == ERROR_GEN_FAILURE ||
           error == ERROR_DEVICE_REMOVED || error == ERROR_NOT_READY || error == ERROR_IO_DEVICE;
}

SerialIo Failure(SerialIo io, DWORD error) {
    return Ended(io, GoneAway(error) ? SerialEnd::HungUp : SerialEnd::Failed,
                 static_cast<int>(error));
}

// Waits for event until the deadline, calling tick about every
// kSerialTickMs. True when it was signalled; false at the deadline or when
// the wait itself fails (error then set).
bool WaitUntil(HANDLE event, Deadline deadline, const SerialTick& tick, DWORD& error) {
    error = 0;
    Deadline nextTick = DeadlineIn(kSerialTickMs);
    for (;;) {
        const int wait = std::min(RemainingMs(deadline), RemainingMs(nextTick));
        // WAIT_OBJECT_0 when signalled, WAIT_TIMEOUT, or WAIT_FAILED with GetLastError.
        const DWORD r = WaitForSingleObject(event, static_cast<DWORD>(wait));
        if (r == WAIT_OBJECT_0) return true;
        if (r == WAIT_FAILED) {
            error = GetLastError();
            return false;
        }
        if (RemainingMs(deadline) == 0) return false;
        if (RemainingMs(nextTick) == 0) {
            if (tick) tick();
            nextTick = DeadlineIn(kSerialTickMs);
        }
    }
}

// Ends the write in flight, if any, by the deadline. True when none is left;
// written is the count of the one that finished, error set when it failed.
bool FinishWrite(SerialDevice& d, Deadline deadline, const SerialTick& tick, DWORD& written,
                 DWORD& error) {
    written = 0;
    error = 0;
    if (!d.writing) return true;
    if (!WaitUntil(d.writeEvent, deadline, tick, error) && error == 0) return false;
    // FALSE with the write's error; wait=TRUE so a failed wait still collects it.
    if (!GetOverlappedResult(d.handle, &d.write, &written, TRUE)) error = GetLastError();
    d.writing = false;
    return true;
}

void CancelWrite(SerialDevice& d) {
    if (!d.writing) return;
    CancelIoEx(d.handle, &d.write);  // FALSE when it has just completed: nothing to cancel
    DWORD written = 0;
    GetOverlappedResult(d.handle, &d.write, &written, TRUE);  // waits for the cancellation
    d.writing = false;
}

}  // namespace

SerialOpenResult SerialOpen(const std::string& path) {
    // A folder would be refused as if held by another program.
    const DWORD attributes =
        GetFileAttributesA(path.c_str());  // INVALID_FILE_ATTRIBUTES for a port
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return {nullptr, PortOpen::NotSerial, ERROR_DIRECTORY};
    // Share mode 0: exclusive for as long as the handle lives; the system
    // drops it with its holder, however that ends.
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED,
                                nullptr);  // INVALID_HANDLE_VALUE with GetLastError
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return {nullptr, OutcomeOf(error), static_cast<int>(error)};
    }
    // A plain file opens as well; only a character device can be a port.
    if (GetFileType(handle) != FILE_TYPE_CHAR) {  // FILE_TYPE_UNKNOWN on failure
        CloseHandle(handle);
        return {nullptr, PortOpen::NotSerial, ERROR_NOT_SUPPORTED};
    }
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);  // null with GetLastError
    if (!event) {
        const DWORD error = GetLastError();
        CloseHandle(handle);
        return {nullptr, PortOpen::Failed, static_cast<int>(error)};
    }
    SetTimeouts(handle);
    auto* device = new SerialDevice;
    device->handle = handle;
    device->writeEvent = event;
    return {device, PortOpen::Ok, 0};
}

void SerialClose(SerialDevice* device, Deadline drainBy) {
    if (!device) return;
    DWORD written = 0;
    DWORD error = 0;
    if (!FinishWrite(*device, drainBy, {}, written, error)) {
        // A stuck line: what has not gone out by now is dropped.
        CancelWrite(*device);
        PurgeComm(device->handle,
                  PURGE_TXABORT | PURGE_TXCLEAR);  // FALSE on failure; closing anyway
    }
    CloseHandle(device->handle);  // FALSE only for a bad handle
    CloseHandle(device->writeEvent);
    delete device;
}

ProbeResult ProbeDevice(const std::string& path) {
    // Not overlapped: the handle is closed again at once.
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                nullptr);  // INVALID_HANDLE_VALUE with GetLastError
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
        return ProbeResult::Present;
    }
    return HeldOrStalled(GetLastError()) ? ProbeResult::Busy : ProbeResult::Missing;
}

int SerialGetLine(SerialDevice* device, LineSettings& line) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(device->handle, &dcb))
        return static_cast<int>(GetLastError());  // FALSE on failure
    line.baudRate = std::find(std::begin(kSpeeds), std::end(kSpeeds),
                              static_cast<int>(dcb.BaudRate)) != std::end(kSpeeds)
                        ? static_cast<int>(dcb.BaudRate)
                        : 0;
    line.byteSize = dcb.ByteSize;
    line.parity = dcb.Parity;  // NOPARITY 0 .. SPACEPARITY 4, as the record counts
    line.stopBits = dcb.StopBits == TWOSTOPBITS ? 2 : 0;
    line.dtrOn = dcb.fDtrControl == DTR_CONTROL_ENABLE;
    line.rtsOn = dcb.fRtsControl == RTS_CONTROL_ENABLE;
    line.xonXoffOut = dcb.fOutX;
    line.xonXoffIn = dcb.fInX;
    line.ctsFlow = dcb.fOutxCtsFlow;
    return 0;
}

int SerialSetLine(SerialDevice* device, const LineSettings& line) {
    if (!Valid(line)) return ERROR_INVALID_PARAMETER;
    // Only the fields the record names change; DSR flow control, the special
    // characters and the rest stay as the device had them.
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(device->handle, &dcb))
        return static_cast<int>(GetLastError());  // FALSE on failure
    dcb.BaudRate = static_cast<DWORD>(line.baudRate);
    dcb.ByteSize = static_cast<BYTE>(line.byteSize);
    dcb.Parity = static_cast<BYTE>(line.parity);
    dcb.StopBits = line.stopBits == 2 ? TWOSTOPBITS : ONESTOPBIT;
    dcb.fDtrControl = line.dtrOn ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = line.xonXoffOut;
    dcb.fInX = line.xonXoffIn;
    dcb.fNull = FALSE;  // null bytes are data
    dcb.fRtsControl = line.rtsOn ? RTS_CONTROL_ENABLE : RTS_CONTROL_DISABLE;
    dcb.fOutxCtsFlow = line.ctsFlow;
    if (SetCommState(device->handle, &dcb)) return 0;  // FALSE on failure
    const DWORD error = GetLastError();
    if (!NoModemLines(device->handle)) return static_cast<int>(error);
    // The settings without DTR and RTS, which such a device has no way to
    // carry: whatever failed now was not about the modem lines.
    dcb.fDtrControl = DTR_CONTROL_HANDSHAKE;
    dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
    return SetCommState(device->handle, &dcb) ? 0 : static_cast<int>(GetLastError());
}

int SerialPurgeInput(SerialDevice* device) {
    // FALSE on failure.
    return PurgeComm(device->handle, PURGE_RXCLEAR) ? 0 : static_cast<int>(GetLastError());
}

SerialIo SerialWrite(SerialDevice* device, const std::uint8_t* bytes, int count, Deadline deadline,
                     const SerialTick& tick) {
    SerialDevice& d = *device;
    SerialIo io;
    if (count <= 0) return io;
    if (RemainingMs(deadline) == 0) return Ended(io, SerialEnd::TimedOut, 0);
    // The system takes nothing more until the write before has gone out.
    DWORD written = 0;
    DWORD error = 0;
    if (!FinishWrite(d, deadline, tick, written, error)) return Ended(io, SerialEnd::TimedOut, 0);
    if (error) return Failure(io, error);

    d.writeBytes.assign(bytes, bytes + count);
    d.write = OVERLAPPED{};
    d.write.hEvent = d.writeEvent;
    // TRUE when done at once; FALSE with ERROR_IO_PENDING while it goes on.
    if (!WriteFile(d.handle, d.writeBytes.data(), static_cast<DWORD>(count), nullptr, &d.write) &&
        GetLastError() != ERROR_IO_PENDING)
        return Failure(io, GetLastError());
    d.writing = true;
    io.count = count;  // the system's now: they go out whether or not the wait sees it
    if (!FinishWrite(d, deadline, tick, written, error)) return Ended(io, SerialEnd::TimedOut, 0);
    io.count = static_cast<int>(written);
    if (error) return Failure(io, error);
    // Ended short by a time-out of the device's own: the rest is the caller's still.
    return io.count < count ? Ended(io, SerialEnd::TimedOut, 0) : io;
}

SerialIo SerialRead(SerialDevice* device, std::uint8_t* buffer, int count, Deadline deadline,
                    const SerialTick& tick) {
    SerialDevice& d = *device;
    SerialIo io;
    if (count <= 0) return io;
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);  // null with GetLastError
    if (!event) return Failure(io, GetLastError());
    while (io.count < count) {
        if (RemainingMs(deadline) == 0) {
            io = Ended(io, SerialEnd::TimedOut, 0);
            break;
        }
        OVERLAPPED read{};
        read.hEvent = event;
        // TRUE when done at once; FALSE with ERROR_IO_PENDING while it goes on.
        if (!::ReadFile(d.handle, buffer + io.count, static_cast<DWORD>(count - io.count), nullptr,
                        &read) &&
            GetLastError() != ERROR_IO_PENDING) {
            io = Failure(io, GetLastError());
            break;
        }
        DWORD waitError = 0;
        const bool done = WaitUntil(event, deadline, tick, waitError);
        // Given up: the read is cancelled, and waited for, so that nothing
        // lands in the caller's buffer after this returns. Bytes it had
        // placed by then count.
        if (!done) CancelIoEx(d.handle, &read);  // FALSE when it has just completed
        DWORD got = 0;
        // FALSE with the read's error (ERROR_OPERATION_ABORTED when cancelled);
        // wait=TRUE collects a cancelled read.
        const bool ok = GetOverlappedResult(d.handle, &read, &got, TRUE);
        const DWORD error = ok ? 0 : GetLastError();
        io.count += static_cast<int>(got);
        if (!done && waitError == 0) {
            if (io.count < count) io = Ended(io, SerialEnd::TimedOut, 0);
            break;
        }
        if (waitError) {
            io = Failure(io, waitError);
            break;
        }
        if (!ok) {
            io = Failure(io, error);
            break;
        }
        // got 0: the device's own time-out ended the read empty; the deadline
        // decides whether to go on.
    }
    CloseHandle(event);
    return io;
}

SerialIo SerialWatch(SerialDevice* device, Deadline deadline, const SerialTick& tick) {
    SerialDevice& d = *device;
    SerialIo io;
    Deadline nextTick = DeadlineIn(kSerialTickMs);
    // The device is asked once even when the deadline has passed.
    do {
        const Deadline step = std::min(deadline, nextTick);
        DWORD written = 0;
        DWORD error = 0;
        // A write still going out ends in an error when the device goes away;
        // without one the device is asked how it is, once a tick.
        if (d.writing) {
            if (FinishWrite(d, step, {}, written, error) && error) return Failure(io, error);
        } else {
            Sleep(static_cast<DWORD>(RemainingMs(step)));
        }
        COMSTAT status{};
        DWORD errors = 0;
        if (!ClearCommError(d.handle, &errors, &status)) {  // FALSE with GetLastError
            const DWORD gone = GetLastError();
            if (GoneAway(gone)) return Ended(io, SerialEnd::HungUp, static_cast<int>(gone));
        }
        if (RemainingMs(nextTick) == 0) {
            if (tick) tick();
            nextTick = DeadlineIn(kSerialTickMs);
        }
    } while (RemainingMs(deadline) > 0);
    return io;
}

int SerialOutputState(SerialDevice* device, SerialOutput& output) {
    SerialDevice& d = *device;
    output = {};
    COMSTAT status{};
    DWORD errors = 0;
    if (!ClearCommError(d.handle, &errors, &status))  // FALSE with GetLastError
        return static_cast<int>(GetLastError());
    // The driver's count takes in a write still in flight; a driver that
    // counts nothing (Wine's, on a pseudo-terminal) still has that write.
    output.queued = static_cast<int>(status.cbOutQue);
    if (output.queued == 0 && d.writing && !HasOverlappedIoCompleted(&d.write))
        output.queued = static_cast<int>(d.writeBytes.size());
    output.held = status.fCtsHold || status.fDsrHold || status.fRlsdHold || status.fXoffHold ||
                  status.fXoffSent;
    return 0;
}

}  // namespace zt
