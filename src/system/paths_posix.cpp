#include "system/paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

namespace zt {

namespace {

// $HOME, else the user database's entry, so that a program started without
// HOME never scatters its files into whatever folder it was started in.
std::string HomeDir() {
    const char* home = std::getenv("HOME");
    if (home && *home == '/') return home;
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);  // -1 when there is no fixed bound
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    // 0 with found set, 0 with found null (no entry), or an error number
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found ||
        !found->pw_dir || found->pw_dir[0] != '/')
        return {};
    return found->pw_dir;
}

}  // namespace

std::string ProgramPath() {
    std::vector<char> buffer(4096);
    // readlink: the length stored (not terminated), or -1 with errno
    ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size()) return {};
    return std::string(buffer.data(), static_cast<std::size_t>(n));
}

std::string ConfigDir() {
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the base-directory rules say.
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg == '/') return std::string(xdg) + "/zttools";
    std::string home = HomeDir();
    return home.empty() ? std::string() : home + "/.config/zttools";
}

std::string PortsDir() {
    std::string dir = ConfigDir();
    return dir.empty() ? dir : dir + "/ports";
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
    std::string dir = PortsDir();
    std::string link = dir + "/com" + std::to_string(n);
    struct stat st {};
    // lstat: a link whose target has gone still names the port (it then fails to open).
    if (!dir.empty() && lstat(link.c_str(), &st) == 0) return link;
    return ComTablePath(n);
}

}  // namespace zt
