#pragma once
// What every ztcli command gets: its options, where its output goes, and
// the exit statuses it ends with.

#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace zt::cli {

enum ExitStatus {
    kExitOk = 0,
    kExitKeyer = 1,  // the keyer refused or failed
    kExitUsage = 2,  // bad usage or a bad file
    kExitPort = 3,   // the port could not be opened
};

struct Streams {
    std::ostream& out;
    std::ostream& err;
    bool terminal;               // out is a terminal: progress may redraw its line
    std::istream* in = nullptr;  // what a file named "-" reads; none: nothing
};

struct Options {
    std::string port;  // COM number, device path or auto; empty: the window's configuration
    std::string file;
    std::string other;  // apply: the settings' JSON; diff: the second settings file
    std::vector<std::string> assignments;
    std::string backup;  // upload: where the keyer's settings go first; empty: no backup
    bool json = false;
    bool quiet = false;
    bool verbose = false;
    bool noVerify = false;
    bool probe = false;  // ports: run detection on each free port
};

struct Context {
    Streams io;
    Options opt;

    // An informational line; --quiet drops it.
    void Say(const std::string& line) const {
        if (!opt.quiet) io.out << line << '\n';
    }
    // Reports a failure on the error stream and gives the status to exit with.
    int Fail(int status, const std::string& text) const {
        io.err << "ztcli: " << text << '\n';
        return status;
    }
};

}  // namespace zt::cli
