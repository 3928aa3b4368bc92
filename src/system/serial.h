#pragma once
// The operating system's serial devices, nothing more: open exclusively,
// line settings, purge, and transfers bounded by a deadline. Knows nothing of
// COM numbers, keyers or the application's records. Results are 0 or the
// system's error number (errno on POSIX, GetLastError on Windows) unless said
// otherwise; SerialErrorText turns one into words. Each system's side is in
// serial_posix.cpp or serial_win32.cpp.

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace zt {

// Deadlines: every blocking loop asks RemainingMs how long it may still wait.
using SerialClock = std::chrono::steady_clock;
using Deadline = SerialClock::time_point;
Deadline DeadlineIn(int ms);
// Milliseconds left until the deadline, rounded up so a wait never turns into a
// spin over the last fraction of a millisecond; 0 once it has passed.
int RemainingMs(Deadline deadline, SerialClock::time_point now = SerialClock::now());

// An open device; what it holds is the system's business.
struct SerialDevice;

// What came of opening a port; the last three only the port object
// (link/port.h), which sets the keyer's line up, ends in.
enum class PortOpen {
    Ok,
    Missing,         // no such device (ENOENT, ENODEV, ENXIO; ERROR_FILE_NOT_FOUND)
    Busy,            // another program holds it (EBUSY or a taken lock; ERROR_ACCESS_DENIED)
    Denied,          // no permission (EACCES, EPERM); Windows has no such case for ports
    NotSerial,       // there, but no serial device: a file, a folder, /dev/null, NUL
    Failed,          // anything else
    GetStateFailed,  // opened, but its line settings could not be read
    SetStateFailed,  // ... or changed
    PurgeFailed,     // ... or what it had received could not be dropped
};
struct SerialOpenResult {
    SerialDevice* device = nullptr;
    PortOpen outcome = PortOpen::Failed;
    int error = 0;  // the system's error number for the failing call
};
// Opens read-write for transfers that wait with a bound, never as a
// controlling terminal, and exclusively: no other program gets it meanwhile.
SerialOpenResult SerialOpen(const std::string& path);

// Releases the device and its record. Output still queued gets until drainBy
// to go out; what is left then is dropped so that a stuck line cannot hold up
// the close. Null is ignored.
void SerialClose(SerialDevice* device, Deadline drainBy);

// What a port dialog needs to know about a device without keeping it. A
// device node with no UART behind it is Missing, also where opening it would
// be refused for want of permission.
enum class ProbeResult { Present, Busy, Denied, Missing };
ProbeResult ProbeDevice(const std::string& path);
#ifndef _WIN32
// False only when the system reports that no UART answers behind the device:
// the kernel makes ttyS nodes for ports that most machines do not have. Such
// a ttyS port has no driver bound to it in sysClassTty/NAME/device, or its
// type there is 0, unknown. ProbeDevice also asks an open ttyS device for
// its type (TIOCGSERIAL). Devices the system says nothing about (USB
// adapters, pseudo-terminals) count as present.
bool UartPresent(const std::string& path, const std::string& sysClassTty = "/sys/class/tty");
// Whether the device is where the system writes its console (listed in
// sysClassTty/console/active): held by the system, never to be probed, even
// by root, who may open it.
bool SystemConsole(const std::string& path, const std::string& sysClassTty = "/sys/class/tty");
#endif

// The line settings as the device control record has them; what the record
// does not name (DSR flow control) stays as the device had it.
struct LineSettings {
    int baudRate = 0;  // 0 when the device runs at a speed outside the table
    int byteSize = 8;  // 5..8
    int parity = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
    int stopBits = 0;  // 0 one, 2 two
    bool dtrOn = false;
    bool rtsOn = false;
    bool xonXoffOut = false;
    bool xonXoffIn = false;
    bool ctsFlow = false;
};
int SerialGetLine(SerialDevice* device, LineSettings& line);
// Raw mode with the given settings. Devices without modem lines (pseudo-
// terminals) accept the settings without DTR and RTS. Settings the record
// does not name (DSR flow control, on Windows) stay as the device had them.
int SerialSetLine(SerialDevice* device, const LineSettings& line);
// Drops everything received and not yet read.
int SerialPurgeInput(SerialDevice* device);

// How a transfer ended. count is the number of bytes moved, also on failure.
enum class SerialEnd { Done, TimedOut, HungUp, Failed };
struct SerialIo {
    int count = 0;
    SerialEnd end = SerialEnd::Done;
    int error = 0;
};
// Called about every kSerialTickMs while a transfer waits; may be empty.
using SerialTick = std::function<void()>;
constexpr int kSerialTickMs = 50;
// Moves count bytes, stopping early at the deadline or a hang-up. Reads place
// bytes from buffer[0] on and never touch positions past what arrived, also
// not after they return. A write counts the bytes the system has taken: they
// go out in order even when the deadline passes before the line carried them.
// A transfer takes nothing once its deadline has passed.
SerialIo SerialWrite(SerialDevice* device, const std::uint8_t* bytes, int count, Deadline deadline,
                     const SerialTick& tick = {});
SerialIo SerialRead(SerialDevice* device, std::uint8_t* buffer, int count, Deadline deadline,
                    const SerialTick& tick = {});

// Waits until the deadline without moving a byte, ending early (HungUp or
// Failed) when the line goes away meanwhile; Done when it held throughout.
SerialIo SerialWatch(SerialDevice* device, Deadline deadline, const SerialTick& tick = {});

// What the system holds of the output it has taken and not yet put on the
// line: the bytes in the device's queue, and whether the line is holding
// them back (output stopped by flow control, or a pseudo-terminal's other
// end taking no more, whose queue the system does not count).
struct SerialOutput {
    int queued = 0;
    bool held = false;
};
int SerialOutputState(SerialDevice* device, SerialOutput& output);

std::string SerialErrorText(int error);

}  // namespace zt
