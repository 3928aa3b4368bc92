#pragma once
// What every ztcli command gets: its options, where its output goes, and
// the exit statuses it ends with.

#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "link/waits.h"

namespace zt::cli {

enum ExitStatus {
    kExitOk = 0,
    kExitKeyer = 1,          // the keyer refused or failed; for diff, the settings differ
    kExitUsage = 2,          // bad usage, a bad file, or output that could not be written
    kExitPort = 3,           // the port could not be opened
    kExitDiffKeyer = 4,      // diff: the keyer refused or failed, told apart from a difference
    kExitInterrupted = 130,  // stopped by Ctrl+C, as a shell counts it (128 + SIGINT)
};

// Data goes to out: what show, test, ports, diff, hexinfo and read - print.
// Progress, informational lines and errors go to err, so that out can be
// piped or redirected whole.
struct Streams {
    std::ostream& out;
    std::ostream& err;
    bool errTerminal;            // err is a terminal: progress may redraw its line
    std::istream* in = nullptr;  // what a file named "-" reads; none: nothing
    bool outTerminal = false;    // out is a terminal: no binary data goes there
    // Makes in (input) or out carry bytes unchanged, where the system would
    // otherwise translate line ends; none where it never does.
    void (*binary)(bool input) = nullptr;
    // The terminal's size when err is one; 0 where it is not known.
    int errColumns = 0;
    int errRows = 0;
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
    // What the keyer operations wait for: detection gives a silent port only
    // the time a keyer takes to answer; what follows it gets the full waits.
    KeyerWaits waits = ShortDetection();
    // One port of a batch, run beside others on a thread of its own: {chip}
    // in a file name is filled once the keyer is known, and no port but its
    // own is opened, not even to list the ports present.
    bool onePortOfMany = false;

    // An informational line, on the error stream; --quiet drops it.
    void Say(const std::string& line) const {
        if (!opt.quiet) io.err << line << '\n';
    }
    // Reports a failure on the error stream and gives the status to exit with.
    int Fail(int status, const std::string& text) const {
        io.err << "ztcli: " << text << '\n';
        return status;
    }
};

}  // namespace zt::cli
