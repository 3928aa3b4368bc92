#include "cli/batch_view.h"

#include <algorithm>
#include <cstdio>

#include "cli/json.h"
#include "cli/port_watch.h"

namespace zt::cli {

namespace {

constexpr std::size_t kIdentityWidth = 11;  // "boot loader", "MINI 31.05"
constexpr std::size_t kStageWidth = 11;     // "Programming"
constexpr int kUsualColumns = 80;           // a terminal that does not tell its width

std::string Padded(std::string text, std::size_t width) {
    if (text.size() < width) text.resize(width, ' ');
    return text;
}

std::string WithoutTrailingBlanks(std::string text) {
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

std::string Seconds(double seconds) {
    if (seconds <= 0) return "-";  // never tried
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", seconds);
    return text;
}

const char* ResultName(PortReport::Result result) {
    switch (result) {
        case PortReport::Result::Ok:
            return "ok";
        case PortReport::Result::Stopped:
            return "stopped";
        case PortReport::Result::NoKeyer:
            return "no keyer";
        case PortReport::Result::Skipped:
            return "skipped";
        default:
            return "failed";
    }
}

std::string Identity(const std::optional<Detection>& d) {
    const std::string text = d ? IdentityText(*d) : "";
    return text.empty() ? "-" : text;
}

// What the outcome column says: the cause of a failure, and whether the keyer
// needs programming again.
std::string Outcome(const PortReport& r) {
    return r.outcome + (r.programAgain ? "; needs programming again" : "");
}

bool InTable(const PortReport& r) {
    return r.result != PortReport::Result::NoKeyer;
}

// Those that succeeded (or were skipped) first, those that failed last.
bool Failing(const PortReport& r) {
    return r.result == PortReport::Result::Failed || r.result == PortReport::Result::Stopped;
}

// Lines redrawn in place need a terminal that has a row for each port and
// one below them.
bool Live(const Context& c, std::size_t ports) {
    return c.io.errTerminal && !c.opt.quiet &&
           (c.io.errRows <= 0 || ports < static_cast<std::size_t>(c.io.errRows));
}

}  // namespace

const char* StageName(Stage stage) {
    switch (stage) {
        case Stage::Reading:
            return "Reading";
        case Stage::BackingUp:
            return "Backing up";
        case Stage::Writing:
            return "Writing";
        case Stage::Verifying:
            return "Verifying";
        case Stage::Uploading:
            return "Programming";
        default:
            return "Checking";  // the keyer after its upload
    }
}

std::string EndingText(const PortReport& r) {
    std::string text = ResultName(r.result);
    if (r.result != PortReport::Result::NoKeyer) text += "  " + Seconds(r.seconds);
    const std::string outcome = Outcome(r);
    return outcome.empty() ? text : text + "  " + outcome;
}

BatchDisplay::BatchDisplay(const Context& c, const std::vector<std::string>& names)
    : c_(c),
      names_(names),
      live_(Live(c, names.size())),
      columns_(c.io.errColumns > 0 ? c.io.errColumns : kUsualColumns),
      shown_(names.size()),
      ended_(names.size(), false) {
    for (const std::string& name : names) width_ = std::max(width_, name.size());
}

std::string BatchDisplay::Line(std::size_t port, const PortSlot::View& view) const {
    std::string line =
        Padded(names_[port], width_) + "  " + Padded(view.identity, kIdentityWidth) + "  ";
    if (view.ending) return WithoutTrailingBlanks(line + *view.ending);
    line += Padded(view.stage, kStageWidth);
    if (view.of > 0) line += "  " + std::to_string(view.frames) + "/" + std::to_string(view.of);
    if (view.percent >= 0) line += "  " + std::to_string(view.percent) + " %";
    return WithoutTrailingBlanks(line);
}

void BatchDisplay::Show(std::deque<PortSlot>& slots) {
    std::vector<std::string> lines, logged;
    for (std::size_t i = 0; i < slots.size(); ++i) {
        std::vector<PortSlot::Event> events;
        const PortSlot::View view = slots[i].Look(events);
        const std::string lead = Padded(names_[i], width_) + "  ";
        for (const PortSlot::Event& e : events) {
            if (!e.stage)
                logged.push_back(lead + e.text);
            else if (!live_)
                logged.push_back(WithoutTrailingBlanks(
                    lead + Padded(view.identity, kIdentityWidth) + "  " + e.text));
        }
        if (!live_ && view.ending && !ended_[i]) logged.push_back(Line(i, view));
        ended_[i] = ended_[i] || view.ending.has_value();
        lines.push_back(Line(i, view));
    }
    if (live_) return Redraw(lines, logged);
    for (const std::string& line : logged) c_.io.err << line << '\n';
    c_.io.err << std::flush;
}

// The ports' lines in place: back up over them, print what was logged
// meanwhile where they stood, and the lines again below it.
void BatchDisplay::Redraw(const std::vector<std::string>& lines,
                          const std::vector<std::string>& logged) {
    if (lines == shown_ && logged.empty()) return;
    std::ostream& err = c_.io.err;
    if (drawn_) err << "\033[" << lines.size() << 'A';
    drawn_ = true;
    for (const std::string& line : logged) err << "\r\033[K" << line << '\n';
    // Each on its row: a line the terminal wrapped would take two.
    const std::size_t width = static_cast<std::size_t>(columns_ - 1);
    for (const std::string& line : lines) err << "\r\033[K" << line.substr(0, width) << '\n';
    err << std::flush;
    shown_ = lines;
}

std::string SummaryTable(const std::vector<PortReport>& reports, bool after) {
    std::vector<std::vector<std::string>> rows = {
        {"port", "before", "after", "result", "time", "outcome"}};
    for (bool failing : {false, true})
        for (const PortReport& r : reports)
            if (InTable(r) && Failing(r) == failing)
                rows.push_back({r.name, Identity(r.before), Identity(r.after), ResultName(r.result),
                                Seconds(r.seconds), Outcome(r)});
    std::vector<std::size_t> widths(rows[0].size(), 0);
    for (const auto& row : rows)
        for (std::size_t k = 0; k < row.size(); ++k) widths[k] = std::max(widths[k], row[k].size());
    std::string table;
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t k = 0; k < row.size(); ++k)
            if (k != 2 || after) line += Padded(row[k], widths[k] + 2);
        table += WithoutTrailingBlanks(line) + '\n';
    }
    return table;
}

Json ReportsJson(const std::vector<PortReport>& reports, bool after) {
    Json list = Json::array();
    for (const PortReport& r : reports) {
        Json j = {{"port", r.name},
                  {"com", r.where.target.device.empty() ? Json(r.where.target.com) : Json()},
                  {"device", r.where.device},
                  {"result", ResultName(r.result)},
                  {"status", r.status},
                  {"seconds", r.seconds},
                  {"before", r.before ? DetectionJson(*r.before) : Json()},
                  {"outcome", r.outcome}};
        if (after) j["after"] = r.after ? DetectionJson(*r.after) : Json();
        if (after) j["program_again"] = r.programAgain;
        if (!r.failure.empty()) j["failure"] = r.failure;
        j.update(r.details);
        list.push_back(j);
    }
    return list;
}

}  // namespace zt::cli
