#include "cli/batch.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <optional>
#include <set>
#include <sstream>
#include <system_error>
#include <thread>

#include "cli/batch_view.h"
#include "cli/interrupt.h"
#include "cli/json.h"

namespace zt::cli {

namespace {

using Result = PortReport::Result;

// A port's watch: its line and its report. Each port has its own.
class BatchWatch : public PortWatch {
  public:
    BatchWatch(PortSlot& slot, PortReport& report, const CtrlCCatcher* ctrlC)
        : slot_(slot), report_(report), ctrlC_(ctrlC) {}
    void Say(const std::string&) override {}
    void Detected(const Detection& d) override {
        if (!report_.before) report_.before = d;
        if (d.outcome != DetectOutcome::Failed) slot_.Identify(IdentityText(d));
    }
    void Begin(Stage stage) override { slot_.Begin(StageName(stage)); }
    void Progress(int percent, int frames, int of) override { slot_.Progress(percent, frames, of); }
    void End(bool) override {}
    void Log(const std::string& line) override { slot_.Log(line); }
    bool StopAsked() const override { return ctrlC_ && ctrlC_->Caught(); }

  private:
    PortSlot& slot_;
    PortReport& report_;
    const CtrlCCatcher* ctrlC_;
};

// Wakes the following thread as soon as the last port has ended.
class Ending {
  public:
    explicit Ending(std::size_t ports) : left_(ports) {}
    void One() {
        std::lock_guard<std::mutex> lock(mu_);
        if (--left_ == 0) done_.notify_all();
    }
    // Whether all have ended, waiting at most ms for it.
    bool WaitAll(int ms) {
        std::unique_lock<std::mutex> lock(mu_);
        return done_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return left_ == 0; });
    }

  private:
    std::mutex mu_;
    std::condition_variable done_;
    std::size_t left_;
};

// The first line of a port's failure, without "ztcli: " and the port's origin.
std::string FailureCause(const PortReport& r) {
    std::string cause = r.failure.substr(0, r.failure.find('\n'));
    for (const std::string& lead : {std::string("ztcli: "), r.where.origin + ": "})
        if (cause.rfind(lead, 0) == 0) cause.erase(0, lead.size());
    return cause;
}

// A port of all whose detection found no keyer drops out: nothing answered,
// or since the listing another program has taken it.
void Classify(const PortSet& set, PortReport& r) {
    r.result = r.status == kExitOk            ? Result::Ok
               : r.status == kExitInterrupted ? Result::Stopped
                                              : Result::Failed;
    if (r.result != Result::Ok) r.outcome = FailureCause(r);
    const std::optional<Detection>& d = r.before;
    if (r.result != Result::Failed || !set.all || !d || d->outcome != DetectOutcome::Failed) return;
    r.result = d->open == PortOpen::Ok ? Result::NoKeyer : Result::Skipped;
    r.outcome = ProbeSummary({{r.where.target.com, r.where.device, {}}, d});
}

void RunOne(const Context& c, const PortSet& set, const PortJob& job, std::size_t i, PortSlot& slot,
            PortReport& r, const CtrlCCatcher* ctrlC) {
    r.where = set.ports[i];
    r.name = PortName(r.where);
    PortContext own(c);
    own.c.opt.quiet = true;
    own.c.opt.json = false;
    BatchWatch w(slot, r, ctrlC);
    const auto start = std::chrono::steady_clock::now();
    r.status = job(own.c, r.where, w, r);
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    r.failure = own.err.str();
    r.data = own.out.str();
    Classify(set, r);
    slot.End(EndingText(r));
}

PortReport SkippedReport(const PortEntry& p) {
    PortReport r;
    r.where = {{p.number, {}}, p.device, "COM" + std::to_string(p.number)};
    r.name = PortName(r.where);
    r.result = Result::Skipped;
    r.outcome = "not tried: " + p.note;
    return r;
}

std::string Named(const PortReport& r) {
    return r.name + " (" + r.where.device + ")";
}

// all, and no keyer answered: what each port said.
int NoKeyerFound(const Context& c, const std::vector<PortReport>& reports) {
    std::vector<std::string> said;
    bool tried = false;
    for (const PortReport& r : reports) {
        said.push_back(Named(r) + ": " + r.outcome);
        tried = tried || r.result == Result::NoKeyer;
    }
    if (!tried) return c.Fail(kExitPort, "--port all: no port could be tried: " + Listed(said));
    c.Fail(kExitKeyer, "--port all: no keyer answered: " + Listed(said));
    c.io.err << "ztcli: " << kSilentHint << '\n';
    return kExitKeyer;
}

int Status(const std::vector<PortReport>& reports, int mixedFailure) {
    bool stopped = false, succeeded = false;
    std::set<int> failures;
    for (const PortReport& r : reports) {
        stopped = stopped || r.result == Result::Stopped;
        succeeded = succeeded || r.result == Result::Ok;
        if (r.result == Result::Failed) failures.insert(r.status);
    }
    if (stopped) return kExitInterrupted;
    if (failures.empty()) return kExitOk;
    return !succeeded && failures.size() == 1 ? *failures.begin() : mixedFailure;
}

// A port's failure: its first line, which names the port, and the hints
// after it that no other port has given yet.
void Say(const Context& c, const std::string& failure, std::set<std::string>& hints) {
    std::istringstream lines(failure);
    std::string line;
    for (bool first = true; std::getline(lines, line); first = false)
        if (first || hints.insert(line).second) c.io.err << line << '\n';
}

// The lines after the table: ports without a keyer, each failure as its port
// said it, and the keyers to program again.
void Afterwards(const Context& c, const std::vector<PortReport>& reports) {
    std::vector<std::string> none, again, ports;
    std::set<std::string> hints;  // the same hint for several ports is said once
    for (const PortReport& r : reports) {
        if (r.result == Result::NoKeyer) none.push_back(Named(r) + ": " + r.outcome);
        if (r.result == Result::Failed || r.result == Result::Stopped) Say(c, r.failure, hints);
        if (!r.programAgain) continue;
        again.push_back(r.name);
        ports.push_back(r.where.target.device.empty() ? std::to_string(r.where.target.com)
                                                      : r.where.target.device);
    }
    if (!none.empty()) c.Say("no keyer on " + Listed(none));
    if (again.empty()) return;
    c.io.err << "ztcli: to be programmed again: " << Listed(again) << " (ztcli upload --port "
             << Listed(ports, ",") << " " << c.opt.file << ")\n";
}

}  // namespace

std::string Listed(const std::vector<std::string>& names, const char* between) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : between) + name;
    return text;
}

std::vector<PortReport> RunPorts(const Context& c, const PortSet& set, const PortJob& job,
                                 bool catchCtrlC) {
    const std::size_t n = set.ports.size();
    std::vector<PortReport> reports(n);
    std::deque<PortSlot> slots(n);
    std::vector<std::string> names;
    for (const PortChoice& p : set.ports) names.push_back(PortName(p));
    std::optional<CtrlCCatcher> ctrlC;
    if (catchCtrlC) ctrlC.emplace();
    Ending ending(n);
    auto run = [&](std::size_t i) {
        RunOne(c, set, job, i, slots[i], reports[i], ctrlC ? &*ctrlC : nullptr);
        ending.One();
    };
    BatchDisplay display(c, names);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < n; ++i) {
        try {
            threads.emplace_back(run, i);
        } catch (const std::system_error&) {
            run(i);  // no thread to be had: here, then
        }
    }
    while (!ending.WaitAll(100)) display.Show(slots);
    for (std::thread& t : threads) t.join();
    display.Show(slots);
    for (const PortEntry& p : set.skipped) reports.push_back(SkippedReport(p));
    return reports;
}

int Conclude(const Context& c, const PortSet& set, const std::vector<PortReport>& reports,
             const Conclusion& how) {
    const bool keyers = std::any_of(reports.begin(), reports.end(), [](const PortReport& r) {
        return r.result != Result::NoKeyer && r.result != Result::Skipped;
    });
    if (c.opt.json) c.io.out << JsonText(ReportsJson(reports, how.after));
    if (set.all && !keyers) return NoKeyerFound(c, reports);
    if (!c.opt.json) c.io.out << SummaryTable(reports, how.after);
    Afterwards(c, reports);
    return Status(reports, how.mixedFailure);
}

void FailAfterwards(PortReport& r, int status, const std::string& text) {
    r.status = status;
    r.result = Result::Failed;
    r.failure += text;
    r.outcome = FailureCause(r);
}

}  // namespace zt::cli
