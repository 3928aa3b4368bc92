#pragma once
// Pseudo-terminals: the master side that a virtual device answers on, and
// the comN links in the ports directory that make its slave side look like
// a numbered serial port.

#include <string>

namespace zt {

// The line settings as the program on the slave side last applied them.
// The kernel keeps a pseudo-terminal at 8 data bits without parity whatever
// is asked, so only speed, stop bits and raw mode tell anything.
struct PtyLine {
    int baud = 0;  // output speed in bit/s; 0 when the speed is not a known rate
    int dataBits = 8;
    bool parity = false;
    bool twoStopBits = false;
    bool raw = false;  // no line editing, echo, signals or output processing

    bool Is8N1() const { return dataBits == 8 && !parity && !twoStopBits; }
    bool operator==(const PtyLine&) const = default;
};

// "1200 8N1 raw", for logs.
std::string DescribeLine(const PtyLine& line);

// One pseudo-terminal master. The slave is left for somebody else to open.
class PtyMaster {
  public:
    PtyMaster() = default;
    ~PtyMaster();
    PtyMaster(PtyMaster&& other) noexcept;
    PtyMaster& operator=(PtyMaster&& other) noexcept;
    PtyMaster(const PtyMaster&) = delete;
    PtyMaster& operator=(const PtyMaster&) = delete;

    // Opens a new master (non-blocking, close-on-exec) and unlocks its slave.
    bool Open(std::string* error = nullptr);
    // Closing the master is a hang-up for whoever holds the slave.
    void Close();

    bool IsOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    const std::string& SlavePath() const { return slave_; }

    // Linux answers termios requests on a master with the slave's settings,
    // so this is what the other side has set.
    bool ReadLine(PtyLine* line) const;

  private:
    int fd_ = -1;
    std::string slave_;
};

// PortsDir()/comN.
std::string ComLinkPath(int comNumber);

enum class LinkResult {
    kCreated,   // new link, or it already named this device
    kReplaced,  // an old link pointed elsewhere at something gone (or we were told to)
    kInUse,     // it points at another device that is present; left alone
    kClaimed,   // it points at the pseudo-terminal of a live simulator; left alone
    kFailed,    // bad number, no directory, not a link, or a file system error
};

// Points comN at device, creating the ports directory when needed. Unless
// replaceLive is set, it refuses to hide a port that is present: neither the
// device that comN stands for without a link (ComTablePath) nor the device
// an old link names, except a pseudo-terminal that no live simulator claims
// (one left by a simulator that was killed). Anything in the way that is not
// a symbolic link is never replaced.
LinkResult RegisterComLink(int comNumber, const std::string& device, bool replaceLive,
                           std::string* error = nullptr);
// The same with tableDevice standing for ComTablePath(comNumber), for tests.
LinkResult RegisterComLinkOver(int comNumber, const std::string& device,
                               const std::string& tableDevice, bool replaceLive,
                               std::string* error = nullptr);
// Removes comN only while it still names device, so a link somebody else
// has taken over since survives. True when it removed the link.
bool UnregisterComLink(int comNumber, const std::string& device);

// A live simulator's claim on its pseudo-terminal, kept in the ports
// directory: a lock that the system drops with the process however it ends,
// kill -9 included. It tells a link to a simulator that is running from one
// whose simulator has gone, while its pseudo-terminal number is in use by
// something else.
class PtyClaim {
  public:
    PtyClaim() = default;
    ~PtyClaim();
    PtyClaim(const PtyClaim&) = delete;
    PtyClaim& operator=(const PtyClaim&) = delete;

    // Claims a /dev/pts/N device; false with a reason.
    bool Take(const std::string& device, std::string* error = nullptr);
    void Release();

  private:
    int fd_ = -1;
};
// Whether some live PtyClaim holds device.
bool PtyClaimed(const std::string& device);

}  // namespace zt
