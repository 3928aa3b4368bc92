#include "common/config_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>

#include "common/app_state.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace zt {

std::string configFileName;

std::string ConfigNameFromExePath(const std::string& exePath) {
    std::size_t at = exePath.find("exe");
    if (at == std::string::npos) return {};
    return exePath.substr(0, at) + "cfg";
}

std::string DefaultConfigFileName() {
    std::string dir = ConfigDir();
    if (dir.empty()) return {};
    MakeDirs(dir);  // a failure shows later as a file that cannot be created
    return dir + "/zttools.cfg";
}

const char* ConfigStatusText(ConfigStatus status) {
    switch (status) {
        case ConfigStatus::ReadFailed:
            return "Read file failed.";
        case ConfigStatus::WriteFailed:
            return "CFG File SAve Failed.";
        default:
            return nullptr;
    }
}

ConfigStatus LoadComPortSetting() {
    int fd = open(configFileName.c_str(), O_RDONLY | O_CLOEXEC);  // -1 on failure
    if (fd < 0) {
        comPortNumber = 1;
        return SaveComPortSetting();
    }
    // Fewer than four bytes fill the number from its low end; the rest stay 0.
    std::uint8_t bytes[4] = {0, 0, 0, 0};
    ssize_t got = read(fd, bytes, sizeof bytes);  // -1 on failure, else the count
    close(fd);
    if (got < 0) return ConfigStatus::ReadFailed;
    std::uint32_t v = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | std::uint32_t(bytes[3]) << 24;
    comPortNumber = static_cast<std::int32_t>(v);
    return ConfigStatus::Ok;
}

ConfigStatus SaveComPortSetting() {
    std::uint32_t v = static_cast<std::uint32_t>(comPortNumber);
    const std::uint8_t bytes[4] = {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16),
                                   std::uint8_t(v >> 24)};
    // A place where no file can be made is skipped silently: the number lasts
    // for this run. A failed write leaves the old file whole.
    const SafeWrite result = WriteFileSafely(configFileName, bytes);
    return result == SafeWrite::WriteFailed ? ConfigStatus::WriteFailed : ConfigStatus::Ok;
}

}  // namespace zt
