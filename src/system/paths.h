#pragma once
// Where the program keeps its files on this platform, and which device a COM
// number stands for. Each system's side is in paths_posix.cpp or
// paths_win32.cpp.

#include <string>

namespace zt {

// Full path of the running program; empty when the system cannot tell.
std::string ProgramPath();

// The folder of the configuration file (not created here).
// POSIX: ${XDG_CONFIG_HOME:-$HOME/.config}/zttools; without HOME the home
// folder comes from the user database. Empty when no home is known.
// Windows: the program's own folder when ConfigBesideProgram, else zttools in
// the user's application data (%APPDATA%, else the shell's roaming
// application-data folder); empty when neither is known.
std::string ConfigDir();
#ifdef _WIN32
// Whether the program keeps its configuration beside itself, as a copy run
// from a folder of the user's does: only when the folder is not marked as
// installed (kInstalledMarker) and a file can be made in it. An installed
// copy under Program Files, or one on read-only media, keeps it in the
// user's application data instead.
bool ConfigBesideProgram();
// The file the Windows installer puts beside the programs it installs.
inline constexpr const char* kInstalledMarker = "zttools.installed";
// Whether a new file can be made in the folder dir: one is made there and
// removed at once, as access lists, read-only media and the system's own
// folders all have a say that the folder's attributes do not show.
bool CanCreateFilesIn(const std::string& dir);
#endif
// POSIX: ConfigDir()/ports, where links named comN point COM numbers at
// devices; empty when ConfigDir is. Windows: empty, as COM numbers are the
// system's own names.
std::string PortsDir();
// Creates a directory and its parents; true when it exists afterwards.
bool MakeDirs(const std::string& path);

// The device a COM number stands for. POSIX: the link PortsDir()/comN when it
// exists, else the fixed table (COM1-16 ttyS0-15, COM17-32 ttyUSB0-15,
// COM33-50 ttyACM0-17); empty for numbers outside 1..50 without a link.
// Windows: \\.\COMn, the name that reaches every port number; empty below 1.
std::string ComDevicePath(int comNumber);
// The fixed table alone (on Windows the same as ComDevicePath).
std::string ComTablePath(int comNumber);

}  // namespace zt
