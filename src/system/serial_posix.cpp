#include "system/serial.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <thread>

namespace zt {

// The POSIX side: a terminal device opened non-blocking, with a lock.
struct SerialDevice {
    int fd;
};

std::string SerialErrorText(int error) {
    return std::generic_category().message(error);
}

namespace {

// ---- Opening ---------------------------------------------------------------

PortOpen OutcomeOf(int error) {
    switch (error) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return PortOpen::Missing;
        case EBUSY:
        case EWOULDBLOCK:
            return PortOpen::Busy;
        case EACCES:
        case EPERM:
            return PortOpen::Denied;
        case ENOTTY:
            return PortOpen::NotSerial;
        default:
            return PortOpen::Failed;
    }
}

// TIOCGEXCL: 0 with the flag stored, or -1 with errno (EINVAL before Linux
// 3.8, which cannot tell: the lock decides alone there).
bool ExclusiveElsewhere(int fd) {
    int flag = 0;
    return ioctl(fd, TIOCGEXCL, &flag) == 0 && flag != 0;
}

SerialOpenResult OpenFailure(int fd, int error) {
    if (fd >= 0) close(fd);
    return {nullptr, OutcomeOf(error), error};
}

// ---- Line settings ---------------------------------------------------------

struct SpeedCode {
    int baud;
    speed_t code;
};
constexpr SpeedCode kSpeeds[] = {
    {300, B300},     {600, B600},       {1200, B1200},     {2400, B2400},
    {4800, B4800},   {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600}, {115200, B115200}, {230400, B230400},
};

int BaudOf(speed_t code) {
    for (const SpeedCode& s : kSpeeds)
        if (s.code == code) return s.baud;
    return 0;
}

bool CodeOf(int baud, speed_t& code) {
    for (const SpeedCode& s : kSpeeds)
        if (s.baud == baud) return code = s.code, true;
    return false;
}

constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};  // byte sizes 5..8

// Parity in the record's terms: index 0 none, 1 odd, 2 even, 3 mark, 4 space.
constexpr tcflag_t kParityFlags[] = {0, PARENB | PARODD, PARENB, PARENB | PARODD | CMSPAR,
                                     PARENB | CMSPAR};
constexpr tcflag_t kParityMask = PARENB | PARODD | CMSPAR;

int ParityOf(tcflag_t cflag) {
    if (!(cflag & PARENB)) return 0;
    for (int i = 1; i < 5; ++i)
        if ((cflag & kParityMask) == kParityFlags[i]) return i;
    return 0;
}

bool NoModemLines(int error) {
    return error == ENOTTY || error == EINVAL;
}

int ReadModemLines(int fd, LineSettings& line) {
    int bits = 0;
    if (ioctl(fd, TIOCMGET, &bits) != 0) {  // 0 with the line bits stored, or -1 with errno
        line.dtrOn = line.rtsOn = false;
        return NoModemLines(errno) ? 0 : errno;
    }
    line.dtrOn = bits & TIOCM_DTR;
    line.rtsOn = bits & TIOCM_RTS;
    return 0;
}

int SetModemLine(int fd, int bit, bool on) {
    // 0, or -1 with errno; pseudo-terminals answer ENOTTY or EINVAL, which is fine.
    if (ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &bit) == 0 || NoModemLines(errno)) return 0;
    return errno;
}

// cfmakeraw less its framing (CS8, no parity), which SetFraming decides.
void MakeRaw(termios& t) {
    t.c_iflag &=
        ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY);
    t.c_oflag &= ~OPOST;
    t.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag |= CLOCAL | CREAD;
    // VMIN 1 with a non-blocking descriptor: no data reads as EAGAIN, so 0 means hang-up.
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
}

void SetFraming(termios& t, const LineSettings& line) {
    t.c_cflag &= ~(CSIZE | kParityMask | CSTOPB | CRTSCTS);
    t.c_cflag |= kSizes[line.byteSize - 5] | kParityFlags[line.parity];
    if (line.stopBits != 0) t.c_cflag |= CSTOPB;
    if (line.ctsFlow) t.c_cflag |= CRTSCTS;
    if (line.xonXoffOut) t.c_iflag |= IXON;
    if (line.xonXoffIn) t.c_iflag |= IXOFF;
}

bool Valid(const LineSettings& line) {
    return line.byteSize >= 5 && line.byteSize <= 8 && line.parity >= 0 && line.parity <= 4;
}

// ---- Transfers -------------------------------------------------------------

SerialIo Ended(SerialIo io, SerialEnd end, int error) {
    io.end = end;
    io.error = error;
    return io;
}

// How long a wait may sleep in poll: until the deadline or the next tick.
int WaitMs(Deadline deadline, Deadline nextTick) {
    return std::min(RemainingMs(deadline), RemainingMs(nextTick));
}

// Calls the hook once its tick is due, and sets the next tick, hook or no
// hook: a tick left in the past would cut every later poll to no wait at all.
void Tick(Deadline& nextTick, const SerialTick& tick) {
    if (RemainingMs(nextTick) > 0) return;
    if (tick) tick();
    nextTick = DeadlineIn(kSerialTickMs);
}

// One loop for both directions: try the transfer, and when the device is not
// ready, poll until it is, the deadline passes or the line hangs up.
// The deadline is looked at before every step, so a transfer resumed after its
// time-out moves nothing, even when bytes are waiting.
template <class Step>
SerialIo Transfer(int fd, short events, int count, Deadline deadline, const SerialTick& tick,
                  Step step) {
    SerialIo io;
    Deadline nextTick = DeadlineIn(kSerialTickMs);
    while (io.count < count) {
        if (RemainingMs(deadline) == 0) return Ended(io, SerialEnd::TimedOut, 0);
        ssize_t moved = step(io.count);  // bytes moved, or -1 with errno
        if (moved > 0) {
            io.count += static_cast<int>(moved);
            continue;
        }
        if (moved == 0 && events == POLLIN) return Ended(io, SerialEnd::HungUp, 0);
        if (moved < 0 && errno != EAGAIN && errno != EINTR)
            return Ended(io, errno == EIO ? SerialEnd::HungUp : SerialEnd::Failed, errno);
        pollfd p{fd, events, 0};
        int ready = poll(&p, 1, WaitMs(deadline, nextTick));
        // poll: number ready, 0 on time-out, or -1 with errno
        if (ready < 0 && errno != EINTR) return Ended(io, SerialEnd::Failed, errno);
        if (ready > 0 && !(p.revents & events)) return Ended(io, SerialEnd::HungUp, 0);
        Tick(nextTick, tick);
    }
    return io;
}

void DrainOutput(int fd, Deadline drainBy) {
    int queued = 0;
    // TIOCOUTQ: 0 with the count of unsent bytes stored, or -1 with errno (hung up).
    while (ioctl(fd, TIOCOUTQ, &queued) == 0 && queued > 0 && RemainingMs(drainBy) > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(10, RemainingMs(drainBy))));
    if (queued > 0) tcflush(fd, TCOFLUSH);  // 0 or -1; at close there is nothing left to try
}

// ---- Ports without hardware -------------------------------------------------

// The kernel's name of the device a path leads to: ttyS0 for /dev/ttyS0 or a
// link to it; empty when the path leads nowhere.
std::string KernelName(const std::string& path) {
    char resolved[PATH_MAX];
    if (!realpath(path.c_str(), resolved)) return {};
    const std::string full = resolved;
    return full.substr(full.rfind('/') + 1);
}

// The 8250 driver makes ttyS nodes for ports that most machines do not have.
bool IsUartNode(const std::string& name) {
    return name.rfind("ttyS", 0) == 0;
}

// Whether the serial core reports no UART behind an open ttyS device. Only
// ttyS is asked: USB adapters leave the type unknown whatever they are.
bool NoUartBehind(const std::string& path, int fd) {
    serial_struct info{};
    // TIOCGSERIAL: 0 with info filled, or -1 with errno
    return IsUartNode(KernelName(path)) && ioctl(fd, TIOCGSERIAL, &info) == 0 &&
           info.type == PORT_UNKNOWN;
}

}  // namespace

SerialOpenResult SerialOpen(const std::string& path) {
    // A file, a folder or a pipe is no port: refused before it is opened.
    // stat: 0, or -1 with errno, which the open then reports.
    struct stat st {};
    if (stat(path.c_str(), &st) == 0 && !S_ISCHR(st.st_mode)) return OpenFailure(-1, ENOTTY);
    int fd =
        open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);  // fd, or -1 with errno
    if (fd < 0) return OpenFailure(-1, errno);
    // Nor is a device that is no terminal, such as /dev/null.
    if (!isatty(fd)) return OpenFailure(fd, ENOTTY);  // 1, or 0 with errno
    // Root opens a terminal whose exclusive flag is set; the flag still means
    // another program holds it, with or without a lock, and is its to clear.
    // (A holder that died leaves the flag on a pseudo-terminal whose master
    // lives on; the simulator clears it when its last host goes.)
    if (ExclusiveElsewhere(fd)) return OpenFailure(fd, EBUSY);
    // Then the lock: a failed attempt never touches another holder's terminal.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) return OpenFailure(fd, errno);  // 0, or -1 with errno
    if (ioctl(fd, TIOCEXCL) != 0) return OpenFailure(fd, errno);  // 0, or -1 with errno (ENOTTY)
    return {new SerialDevice{fd}, PortOpen::Ok, 0};
}

void SerialClose(SerialDevice* device, Deadline drainBy) {
    if (!device) return;
    const int fd = device->fd;
    delete device;
    DrainOutput(fd, drainBy);
    // The flag is ours: the open refused a terminal that had it already.
    ioctl(fd, TIOCNXCL);  // 0 or -1; the terminal may have hung up already
    close(fd);            // 0 or -1; the descriptor is gone either way
}

bool UartPresent(const std::string& path, const std::string& sysClassTty) {
    const std::string name = KernelName(path);
    if (name.empty()) return true;  // the open will tell
    const std::string entry = sysClassTty + "/" + name;
    // A ttyS port that the system lists with no driver bound to it has no hardware.
    std::error_code error;
    if (IsUartNode(name) && std::filesystem::exists(entry, error) &&
        !std::filesystem::exists(entry + "/device/driver", error))
        return false;
    // The serial core's port type: 0 when no UART answered at that address.
    std::ifstream type(entry + "/type");
    int code = -1;
    return !(type >> code) || code != 0;
}

bool SystemConsole(const std::string& path, const std::string& sysClassTty) {
    const std::string name = KernelName(path);
    std::ifstream active(sysClassTty + "/console/active");
    for (std::string console; !name.empty() && active >> console;)
        if (console == name) return true;
    return false;
}

ProbeResult ProbeDevice(const std::string& path) {
    if (!UartPresent(path)) return ProbeResult::Missing;
    if (SystemConsole(path)) return ProbeResult::Busy;
    SerialOpenResult opened = SerialOpen(path);
    switch (opened.outcome) {
        case PortOpen::Ok: {
            const bool noUart = NoUartBehind(path, opened.device->fd);
            SerialClose(opened.device, SerialClock::now());
            return noUart ? ProbeResult::Missing : ProbeResult::Present;
        }
        case PortOpen::Busy:
            return ProbeResult::Busy;
        case PortOpen::Denied:
            return ProbeResult::Denied;
        default:
            return ProbeResult::Missing;  // also what is not a terminal
    }
}

int SerialGetLine(SerialDevice* device, LineSettings& line) {
    const int fd = device->fd;
    termios t{};
    if (tcgetattr(fd, &t) != 0) return errno;  // 0, or -1 with errno
    line.baudRate = BaudOf(cfgetospeed(&t));
    line.byteSize =
        5 + static_cast<int>(std::find(std::begin(kSizes), std::end(kSizes), t.c_cflag & CSIZE) -
                             std::begin(kSizes));
    line.parity = ParityOf(t.c_cflag);
    line.stopBits = (t.c_cflag & CSTOPB) ? 2 : 0;
    line.xonXoffOut = t.c_iflag & IXON;
    line.xonXoffIn = t.c_iflag & IXOFF;
    line.ctsFlow = t.c_cflag & CRTSCTS;
    return ReadModemLines(fd, line);
}

int SerialSetLine(SerialDevice* device, const LineSettings& line) {
    const int fd = device->fd;
    termios t{};
    speed_t speed = B0;
    if (!Valid(line) || !CodeOf(line.baudRate, speed)) return EINVAL;
    if (tcgetattr(fd, &t) != 0) return errno;  // 0, or -1 with errno
    MakeRaw(t);
    SetFraming(t, line);
    cfsetispeed(&t, speed);  // 0, or -1 for a code outside B*; ours all come from the table
    cfsetospeed(&t, speed);
    if (tcsetattr(fd, TCSANOW, &t) != 0) return errno;  // 0 if any part took, or -1 with errno
    if (int error = SetModemLine(fd, TIOCM_DTR, line.dtrOn)) return error;
    return SetModemLine(fd, TIOCM_RTS, line.rtsOn);
}

int SerialPurgeInput(SerialDevice* device) {
    return tcflush(device->fd, TCIFLUSH) == 0 ? 0 : errno;  // 0, or -1 with errno
}

SerialIo SerialWrite(SerialDevice* device, const std::uint8_t* bytes, int count, Deadline deadline,
                     const SerialTick& tick) {
    const int fd = device->fd;
    return Transfer(fd, POLLOUT, count, deadline, tick,
                    [&](int done) { return write(fd, bytes + done, count - done); });
}

SerialIo SerialRead(SerialDevice* device, std::uint8_t* buffer, int count, Deadline deadline,
                    const SerialTick& tick) {
    const int fd = device->fd;
    return Transfer(fd, POLLIN, count, deadline, tick,
                    [&](int done) { return read(fd, buffer + done, count - done); });
}

SerialIo SerialWatch(SerialDevice* device, Deadline deadline, const SerialTick& tick) {
    SerialIo io;
    Deadline nextTick = DeadlineIn(kSerialTickMs);
    // The line is looked at once even when the deadline has passed.
    do {
        // No events asked for: poll reports only a hang-up or an error.
        pollfd p{device->fd, 0, 0};
        int ready = poll(&p, 1, WaitMs(deadline, nextTick));
        // poll: number ready, 0 on time-out, or -1 with errno
        if (ready < 0 && errno != EINTR) return Ended(io, SerialEnd::Failed, errno);
        if (ready > 0) return Ended(io, SerialEnd::HungUp, 0);
        Tick(nextTick, tick);
    } while (RemainingMs(deadline) > 0);
    return io;
}

int SerialOutputState(SerialDevice* device, SerialOutput& output) {
    output = {};
    // TIOCOUTQ: 0 with the count of unsent bytes stored, or -1 with errno.
    if (ioctl(device->fd, TIOCOUTQ, &output.queued) != 0) return errno;
    // A terminal whose output is stopped has no room for a single byte.
    pollfd p{device->fd, POLLOUT, 0};
    const int ready = poll(&p, 1, 0);  // number ready, 0 when not, or -1 with errno
    if (ready < 0) return errno;
    output.held = ready == 0;
    return 0;
}

}  // namespace zt
