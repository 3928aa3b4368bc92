#include "system/pty.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "system/paths.h"
#include "system/serial.h"

namespace zt {
namespace {

int BaudOf(speed_t speed) {
    switch (speed) {
        case B50:
            return 50;
        case B75:
            return 75;
        case B110:
            return 110;
        case B134:
            return 134;
        case B150:
            return 150;
        case B200:
            return 200;
        case B300:
            return 300;
        case B600:
            return 600;
        case B1200:
            return 1200;
        case B1800:
            return 1800;
        case B2400:
            return 2400;
        case B4800:
            return 4800;
        case B9600:
            return 9600;
        case B19200:
            return 19200;
        case B38400:
            return 38400;
        case B57600:
            return 57600;
        case B115200:
            return 115200;
        case B230400:
            return 230400;
        default:
            return 0;
    }
}

void SetError(std::string* error, std::string text) {
    if (error) *error = std::move(text);
}

std::string ErrnoText(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

bool ReadLink(const std::string& path, std::string* target) {
    char buf[4096];
    ssize_t n = readlink(path.c_str(), buf, sizeof buf - 1);
    if (n < 0) return false;
    target->assign(buf, static_cast<std::size_t>(n));
    return true;
}

// A new link under a temporary name renamed over the old one, so nobody
// ever finds comN missing or half made.
bool PlaceLink(const std::string& link, const std::string& device, std::string* error) {
    std::string temp = link + ".new." + std::to_string(getpid());
    unlink(temp.c_str());
    if (symlink(device.c_str(), temp.c_str()) != 0) {
        SetError(error, ErrnoText("cannot create " + temp));
        return false;
    }
    if (rename(temp.c_str(), link.c_str()) != 0) {
        SetError(error, ErrnoText("cannot rename " + temp + " to " + link));
        unlink(temp.c_str());
        return false;
    }
    return true;
}

// N of /dev/pts/N, or -1 for any other path.
long PtyNumber(const std::string& path) {
    static const std::string kPrefix = "/dev/pts/";
    if (path.compare(0, kPrefix.size(), kPrefix) != 0 || path.size() == kPrefix.size() ||
        path.size() > kPrefix.size() + 9)
        return -1;
    long n = 0;
    for (std::size_t i = kPrefix.size(); i < path.size(); ++i) {
        if (path[i] < '0' || path[i] > '9') return -1;
        n = n * 10 + (path[i] - '0');
    }
    return n;
}

// Claims are write locks on byte N of one file, for /dev/pts/N: open file
// description locks, so that two simulators in one process still see each
// other's.
std::string ClaimsPath() {
    return PortsDir() + "/.pty-claims";
}

struct flock ClaimRange(long number, short type) {
    struct flock range {};
    range.l_type = type;
    range.l_whence = SEEK_SET;
    range.l_start = number;
    range.l_len = 1;
    return range;
}

// A pseudo-terminal that exists while no simulator claims it: its simulator
// was killed and the number has gone to somebody else since.
bool AbandonedPty(const std::string& path) {
    return PtyNumber(path) >= 0 && !PtyClaimed(path);
}

// A serial device with a port behind it.
bool PortPresent(const std::string& path) {
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode) &&
           UartPresent(path);
}

}  // namespace

std::string DescribeLine(const PtyLine& line) {
    std::string text = line.baud ? std::to_string(line.baud) : std::string("?");
    text += ' ';
    text += std::to_string(line.dataBits);
    text += line.parity ? 'P' : 'N';
    text += line.twoStopBits ? '2' : '1';
    if (line.raw) text += " raw";
    return text;
}

PtyMaster::~PtyMaster() {
    Close();
}

PtyMaster::PtyMaster(PtyMaster&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), slave_(std::move(other.slave_)) {}

PtyMaster& PtyMaster::operator=(PtyMaster&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
        slave_ = std::move(other.slave_);
    }
    return *this;
}

bool PtyMaster::Open(std::string* error) {
    Close();
    int fd = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        SetError(error, ErrnoText("posix_openpt"));
        return false;
    }
    char name[128];
    if (grantpt(fd) != 0 || unlockpt(fd) != 0 || ptsname_r(fd, name, sizeof name) != 0) {
        SetError(error, ErrnoText("cannot prepare the pseudo-terminal"));
        close(fd);
        return false;
    }
    int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0) {
        SetError(error, ErrnoText("cannot make the master non-blocking"));
        close(fd);
        return false;
    }
    fd_ = fd;
    slave_ = name;
    return true;
}

void PtyMaster::Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    slave_.clear();
}

bool PtyMaster::ReadLine(PtyLine* line) const {
    termios t{};
    if (fd_ < 0 || tcgetattr(fd_, &t) != 0) return false;
    line->baud = BaudOf(cfgetospeed(&t));
    switch (t.c_cflag & CSIZE) {
        case CS5:
            line->dataBits = 5;
            break;
        case CS6:
            line->dataBits = 6;
            break;
        case CS7:
            line->dataBits = 7;
            break;
        default:
            line->dataBits = 8;
            break;
    }
    line->parity = (t.c_cflag & PARENB) != 0;
    line->twoStopBits = (t.c_cflag & CSTOPB) != 0;
    line->raw = (t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN)) == 0 && (t.c_oflag & OPOST) == 0 &&
                (t.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP | IXON)) == 0;
    return true;
}

std::string ComLinkPath(int comNumber) {
    return PortsDir() + "/com" + std::to_string(comNumber);
}

LinkResult RegisterComLink(int comNumber, const std::string& device, bool replaceLive,
                           std::string* error) {
    return RegisterComLinkOver(comNumber, device, ComTablePath(comNumber), replaceLive, error);
}

LinkResult RegisterComLinkOver(int comNumber, const std::string& device,
                               const std::string& tableDevice, bool replaceLive,
                               std::string* error) {
    if (comNumber < 1) {
        SetError(error, "COM number " + std::to_string(comNumber) + ": COM numbers start at 1");
        return LinkResult::kFailed;
    }
    if (!MakeDirs(PortsDir())) {
        SetError(error, ErrnoText("cannot create " + PortsDir()));
        return LinkResult::kFailed;
    }
    std::string link = ComLinkPath(comNumber);
    struct stat st {};
    if (lstat(link.c_str(), &st) != 0) {
        if (errno != ENOENT) {
            SetError(error, ErrnoText("cannot look at " + link));
            return LinkResult::kFailed;
        }
        if (!replaceLive && PortPresent(tableDevice)) {
            SetError(error, link + " would hide " + tableDevice + ", which is present");
            return LinkResult::kInUse;
        }
        return PlaceLink(link, device, error) ? LinkResult::kCreated : LinkResult::kFailed;
    }
    if (!S_ISLNK(st.st_mode)) {
        SetError(error, link + " is not a symbolic link; left alone");
        return LinkResult::kFailed;
    }
    std::string target;
    if (!ReadLink(link, &target)) {
        SetError(error, ErrnoText("cannot read " + link));
        return LinkResult::kFailed;
    }
    if (target == device) return LinkResult::kCreated;
    // stat follows the link: success means the device it names is there.
    if (stat(link.c_str(), &st) == 0 && !replaceLive && !AbandonedPty(target)) {
        const bool claimed = PtyClaimed(target);
        SetError(error, link + " already points to " + target +
                            (claimed ? ", which a live simulator claims" : ", which is present"));
        return claimed ? LinkResult::kClaimed : LinkResult::kInUse;
    }
    return PlaceLink(link, device, error) ? LinkResult::kReplaced : LinkResult::kFailed;
}

bool UnregisterComLink(int comNumber, const std::string& device) {
    if (comNumber < 1) return false;
    std::string link = ComLinkPath(comNumber);
    std::string target;
    if (!ReadLink(link, &target) || target != device) return false;
    return unlink(link.c_str()) == 0;
}

PtyClaim::~PtyClaim() {
    Release();
}

bool PtyClaim::Take(const std::string& device, std::string* error) {
    Release();
    const long number = PtyNumber(device);
    if (number < 0) {
        SetError(error, device + " is not a pseudo-terminal");
        return false;
    }
    if (!MakeDirs(PortsDir())) {
        SetError(error, ErrnoText("cannot create " + PortsDir()));
        return false;
    }
    const std::string path = ClaimsPath();
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        SetError(error, ErrnoText("cannot open " + path));
        return false;
    }
    struct flock range = ClaimRange(number, F_WRLCK);
    if (fcntl(fd, F_OFD_SETLK, &range) != 0) {
        SetError(error, ErrnoText("cannot claim " + device + " in " + path));
        close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

void PtyClaim::Release() {
    if (fd_ >= 0) close(fd_);  // and with it the lock
    fd_ = -1;
}

bool PtyClaimed(const std::string& device) {
    const long number = PtyNumber(device);
    if (number < 0) return false;
    int fd = open(ClaimsPath().c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;  // nobody has ever claimed anything here
    struct flock range = ClaimRange(number, F_WRLCK);
    // When it cannot tell, it counts as claimed: a live link is never taken.
    const bool claimed = fcntl(fd, F_OFD_GETLK, &range) != 0 || range.l_type != F_UNLCK;
    close(fd);
    return claimed;
}

}  // namespace zt
