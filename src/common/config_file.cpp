#include "common/config_file.h"

#include <cstdint>
#include <cstring>

#include "system/files.h"
#include "system/paths.h"

namespace zt {

std::string ConfigNameFromExePath(const std::string& exePath) {
    std::size_t at = exePath.find("exe");
    if (at == std::string::npos) return {};
    return exePath.substr(0, at) + "cfg";
}

std::string ConfigNameFromProgramPath(const std::string& programPath) {
    std::string name = ConfigNameFromExePath(programPath);
    if (!name.empty() || programPath.empty()) return name;
    // No lower-case "exe" anywhere (ZTTOOLS.EXE): the name's extension, if
    // any, gives way to ".cfg".
    const std::size_t slash = programPath.find_last_of("/\\");
    const std::size_t dot = programPath.rfind('.');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return programPath.substr(0, hasExtension ? dot : programPath.size()) + ".cfg";
}

namespace {

// zttools.cfg in the configuration directory, which is made when missing;
// empty when there is none.
std::string InConfigDir() {
    std::string dir = ConfigDir();
    if (dir.empty()) return {};
    MakeDirs(dir);  // a failure shows later as a file that cannot be created
#ifdef _WIN32
    return dir + "\\zttools.cfg";
#else
    return dir + "/zttools.cfg";
#endif
}

}  // namespace

std::string DefaultConfigFileName() {
#ifdef _WIN32
    // A copy of its own: beside the program, named after it.
    if (ConfigBesideProgram()) return ConfigNameFromProgramPath(ProgramPath());
#endif
    return InConfigDir();
}

std::string DesktopConfigFileName() {
#ifdef _WIN32
    // ConfigDir is the program's folder here, where zttools.exe would be.
    if (ConfigBesideProgram()) return ConfigNameFromProgramPath(ConfigDir() + "\\zttools.exe");
#endif
    return InConfigDir();
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

ComPortSetting LoadComPortSetting(const std::string& path) {
    FileTrouble trouble;
    InputFile* file = OpenForReading(path, &trouble);
    // Something that is there but is no file (a folder) cannot be read; a
    // pipe is not waited on.
    if (!file && trouble.notAFile) return {ConfigStatus::ReadFailed, std::nullopt};
    if (!file) return {SaveComPortSetting(path, 1), 1};
    // Fewer than four bytes fill the number from its low end; the rest stay 0.
    std::uint8_t bytes[4] = {0, 0, 0, 0};
    const std::int64_t got = ReadBytes(file, bytes, sizeof bytes);
    CloseFile(file);
    if (got < 0) return {ConfigStatus::ReadFailed, std::nullopt};
    std::uint32_t v = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | std::uint32_t(bytes[3]) << 24;
    return {ConfigStatus::Ok, static_cast<std::int32_t>(v)};
}

ConfigStatus SaveComPortSetting(const std::string& path, std::int32_t number) {
    std::uint32_t v = static_cast<std::uint32_t>(number);
    const std::uint8_t bytes[4] = {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16),
                                   std::uint8_t(v >> 24)};
    // A place where no file can be made is skipped silently: the number lasts
    // for this run. A failed write leaves the old file whole.
    const SafeWrite result = WriteFileSafely(path, bytes);
    return result == SafeWrite::WriteFailed ? ConfigStatus::WriteFailed : ConfigStatus::Ok;
}

}  // namespace zt
