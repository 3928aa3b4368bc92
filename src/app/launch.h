#pragma once
// What zttools does with its command line before any window: --help and
// --version are answered and the program ends, and so it does, in one line,
// where no window can open. Qt's own options are left to the host; what is
// left after them may name a settings file to open.

#include <functional>
#include <string>

namespace zt {

struct Launch {
    int status = -1;  // the exit status; -1: go on and open the window
    std::string out;  // what to print on standard output
    std::string err;  // ... and on standard error
};

// A variable of the environment, or nullptr when it is not set.
using Environment = std::function<const char*(const char*)>;

// argv as main has it. Without env nothing is asked of the display (Windows
// always has one); with it, on X11 or Wayland, a missing display ends it.
Launch CheckLaunch(int argc, const char* const* argv, const Environment& env);

// The settings file that `zttools FILE` names: the first argument that is no
// option, once the host has taken its own options out of argv; empty when
// there is none.
std::string SettingsFileArgument(int argc, const char* const* argv);

}  // namespace zt
