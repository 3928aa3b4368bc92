#pragma once
// How a batch shows its ports. While they run: on a terminal one line per
// port, redrawn in place ("COM3  SMT 31.05  Programming  412/956  43 %"),
// then a final line each; off a terminal, or with --quiet, a line whenever a
// port begins a stage or ends, each beginning with its port. At the end a
// summary table, or one JSON record per port.

#include <deque>
#include <string>
#include <vector>

#include "cli/batch_report.h"
#include "cli/context.h"
#include "cli/port_watch.h"

namespace zt::cli {

// The words a stage shows under in a port's line.
const char* StageName(Stage stage);

// A port's final words: "ok  22.4 s  Upload Completed Successfully",
// "failed  0.4 s  ZT Fail:no response ...".
std::string EndingText(const PortReport& r);

// Draws the ports' lines on the error stream; only the thread that follows
// the batch calls it, so no two lines ever mix.
class BatchDisplay {
  public:
    BatchDisplay(const Context& c, const std::vector<std::string>& names);
    // Shows what changed since the last call.
    void Show(std::deque<PortSlot>& slots);

  private:
    std::string Line(std::size_t port, const PortSlot::View& view) const;
    void Redraw(const std::vector<std::string>& lines, const std::vector<std::string>& logged);

    const Context& c_;
    std::vector<std::string> names_;
    std::size_t width_ = 0;  // of the widest name
    bool live_;              // redrawn in place
    bool drawn_ = false;     // the lines are on the screen, to be redrawn
    int columns_;            // the terminal's width
    std::vector<std::string> shown_;
    std::vector<bool> ended_;
};

// A row per port that a keyer answered on or that was skipped, failed ones
// last; after: a column for the firmware after the command (upload).
std::string SummaryTable(const std::vector<PortReport>& reports, bool after);
// The same, a record per port, the ports without a keyer too.
Json ReportsJson(const std::vector<PortReport>& reports, bool after);

}  // namespace zt::cli
