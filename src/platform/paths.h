#pragma once
// Where the program keeps its files on this platform, and which device a COM
// number stands for. Each system's side is in paths_posix.cpp or
// paths_win32.cpp.

#include <string>

namespace zt {

// Full path of the running program; empty when the system cannot tell.
std::string ProgramPath();

// POSIX: ${XDG_CONFIG_HOME:-$HOME/.config}/zttools (not created here);
// without HOME the home folder comes from the user database. Empty when no
// home is known. Windows: the folder the program is in.
std::string ConfigDir();
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
