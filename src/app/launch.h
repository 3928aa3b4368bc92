#pragma once
// What zttools does with its command line before any window: --help and
// --version are answered and the program ends, and so it does, in one line,
// where no window can open. Everything else (Qt's own options) is left to
// the host.

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

}  // namespace zt
