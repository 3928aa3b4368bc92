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
    kFailed,    // bad number, no directory, not a link, or a file system error
};

// Points comN at device, creating the ports directory when needed. A link
// that names another device that exists is only replaced when replaceLive
// is set; anything in the way that is not a symbolic link never is.
LinkResult RegisterComLink(int comNumber, const std::string& device, bool replaceLive,
                           std::string* error = nullptr);
// Removes comN only while it still names device, so a link somebody else
// has taken over since survives. True when it removed the link.
bool UnregisterComLink(int comNumber, const std::string& device);

}  // namespace zt
