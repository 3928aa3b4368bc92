#pragma once
// One keyer command on several ports side by side. Each port runs, on a
// thread of its own, the steps the command runs on a single port
// (keyer_steps.h), with a context of its own that keeps what it prints. The
// ports share nothing but the output, which the calling thread alone
// writes: it follows them (batch_view.h) until the last has ended, then sums
// them up.
//
// Threads rather than one loop over the ports: the core's operations wait on
// their port with bounded blocking reads, as the window's do, so a thread per
// port runs them unchanged, and a port sleeps until its line has bytes or its
// wait is over.

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/batch_report.h"
#include "cli/context.h"
#include "cli/port_choice.h"
#include "cli/port_watch.h"

namespace zt::cli {

// A context of one port's own, whose streams keep what it prints: a port's
// run, and what the following thread does for a port afterwards.
struct PortContext {
    explicit PortContext(const Context& from) : c{{out, err, false}, from.opt, from.waits, true} {}
    std::ostringstream out, err;
    Context c;
};

// The steps on one port: c prints into the port's own streams, w feeds its
// line, r takes what the command keeps beyond the status it returns.
using PortJob =
    std::function<int(const Context& c, const PortChoice& where, PortWatch& w, PortReport& r)>;

// Runs job on every port of set at once and shows them until the last has
// ended; the reports in the set's order, then one per port skipped.
// catchCtrlC: Ctrl+C is caught meanwhile, and each port's watch tells it.
std::vector<PortReport> RunPorts(const Context& c, const PortSet& set, const PortJob& job,
                                 bool catchCtrlC = false);

struct Conclusion {
    bool after = false;             // the firmware after the command is shown (upload)
    int mixedFailure = kExitKeyer;  // the status when the ports failed in different ways
};
// The summary (a table, or JSON), each failure as its port said it, and the
// status to exit with: 0 when every keyer succeeded, 130 after Ctrl+C, the
// failures' status when every keyer failed alike (3: none could be opened),
// otherwise how.mixedFailure. all that finds no keyer fails with what each
// port said.
int Conclude(const Context& c, const PortSet& set, const std::vector<PortReport>& reports,
             const Conclusion& how = {});

// "COM3, COM4": names one after the other.
std::string Listed(const std::vector<std::string>& names, const char* between = ", ");

// Marks a port that had succeeded as failed, with the text its run would
// have printed (a settings file that could not be saved afterwards).
void FailAfterwards(PortReport& r, int status, const std::string& text);

}  // namespace zt::cli
