#pragma once
// The program configuration file: four bytes, the COM port number, least
// significant byte first. The only state kept between runs.

#include <string>

namespace zt {

// Full path of the configuration file, set once at start-up.
extern std::string configFileName;

// Windows naming rule: the executable's path with its first lower-case "exe"
// replaced by "cfg" and everything after it dropped. Empty when the path has
// no "exe".
std::string ConfigNameFromExePath(const std::string& exePath);

// This platform's configuration file: zttools.cfg in the configuration
// directory, which is created when missing.
std::string DefaultConfigFileName();

// 1 when the file was read or created with port 1; 0 when the read failed.
int LoadComPortSetting();
// 1 when written, or when the file could not be created; 0 when the write failed.
int SaveComPortSetting();

}  // namespace zt
