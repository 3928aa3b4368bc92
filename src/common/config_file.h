#pragma once
// The program configuration file: four bytes, the COM port number, least
// significant byte first. The only state kept between runs.
//
// Failures come back as values; the caller shows them (ConfigStatusText).
// The path is the caller's: empty when the platform has no place for the
// file (the number then lasts for the run only).

#include <cstdint>
#include <optional>
#include <string>

namespace zt {

// Windows naming rule: the executable's path with its first lower-case "exe"
// replaced by "cfg" and everything after it dropped. Empty when the path has
// no "exe".
std::string ConfigNameFromExePath(const std::string& exePath);

// The naming rule, and for a path that has no "exe" (an executable named in
// capitals) the same path with its extension, if any, replaced by ".cfg".
// Empty only for an empty path.
std::string ConfigNameFromProgramPath(const std::string& programPath);

// This platform's configuration file: zttools.cfg in the configuration
// directory (ConfigDir), which is created when missing; empty when there is
// none (no home folder). On Windows a copy that keeps its file beside itself
// (ConfigBesideProgram) names it after the program
// (ConfigNameFromProgramPath).
std::string DefaultConfigFileName();
// The desktop program's configuration file, for another program that takes
// its settings from it: on Windows, the one zttools.exe beside this program
// would use; elsewhere DefaultConfigFileName.
std::string DesktopConfigFileName();

enum class ConfigStatus {
    Ok,           // read; written; or created, or not creatable, which is not reported
    ReadFailed,   // the name is there but no file could be read from it; no number
    WriteFailed,  // the file was created but the number did not get into it
};
// The message for a failure ("Read file failed."), or nullptr for Ok.
const char* ConfigStatusText(ConfigStatus status);

struct ComPortSetting {
    ConfigStatus status = ConfigStatus::Ok;
    std::optional<std::int32_t> number;  // none when the file could not be read
};
// The number in the file at path; a file that cannot be opened is created
// holding 1, and 1 is the number.
ComPortSetting LoadComPortSetting(const std::string& path);
// Writes number to path; a file that cannot be created is skipped silently.
ConfigStatus SaveComPortSetting(const std::string& path, std::int32_t number);

}  // namespace zt
