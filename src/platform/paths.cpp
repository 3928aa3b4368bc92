#include "platform/paths.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <string>

namespace zt {

std::string ConfigDir() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg) return std::string(xdg) + "/zttools";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : ".") + "/.config/zttools";
}

std::string PortsDir() {
    return ConfigDir() + "/ports";
}

bool MakeDirs(const std::string& path) {
    if (path.empty()) return false;
    for (std::size_t pos = 1; pos != std::string::npos;) {
        pos = path.find('/', pos);
        std::string part = path.substr(0, pos);
        if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
        if (pos != std::string::npos) ++pos;
    }
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string ComTablePath(int n) {
    if (n >= 1 && n <= 16) return "/dev/ttyS" + std::to_string(n - 1);
    if (n >= 17 && n <= 32) return "/dev/ttyUSB" + std::to_string(n - 17);
    if (n >= 33 && n <= 50) return "/dev/ttyACM" + std::to_string(n - 33);
    return {};
}

std::string ComDevicePath(int n) {
    std::string link = PortsDir() + "/com" + std::to_string(n);
    struct stat st {};
    // lstat: a link whose target has gone still names the port (it then fails to open).
    if (lstat(link.c_str(), &st) == 0) return link;
    return ComTablePath(n);
}

}  // namespace zt
