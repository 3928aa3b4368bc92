#pragma once
// Where the program keeps its files on this platform.

#include <string>

namespace zt {

// ${XDG_CONFIG_HOME:-$HOME/.config}/zttools (not created here); without HOME
// the home folder comes from the user database. Empty when no home is known.
std::string ConfigDir();
// ConfigDir()/ports: links named comN point COM numbers at devices; empty
// when ConfigDir is.
std::string PortsDir();
// Creates a directory and its parents; true when it exists afterwards.
bool MakeDirs(const std::string& path);

// The device a COM number stands for: the link PortsDir()/comN when it
// exists, else the fixed table (COM1-16 ttyS0-15, COM17-32 ttyUSB0-15,
// COM33-50 ttyACM0-17). Empty for numbers outside 1..50 without a link.
std::string ComDevicePath(int comNumber);
// The fixed table alone.
std::string ComTablePath(int comNumber);

}  // namespace zt
