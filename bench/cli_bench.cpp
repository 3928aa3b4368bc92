// ztcli's read, write and write-with-verify against the virtual keyer at the
// real line rate, each a whole command from opening the port to closing it.
// Prints the measured time, the limit (line time of every byte plus the
// fixed waits) and their ratio. Not a test: run by hand.
#include <sstream>

#include "bench_support.h"
#include "cli/cli.h"

namespace {

constexpr int kRuns = 3;
constexpr std::size_t kDetectionReplies = 4;  // echo, major, minor, variant
constexpr std::size_t kSettingsReply = 300;   // the dump and the extension block

// Runs ztcli quietly; exits the benchmark when the command fails.
void Cli(std::vector<std::string> args) {
    args.insert(args.begin(), "ztcli");
    args.insert(args.end(),
                {"--quiet", "--port", std::to_string(zt::bench::WindowOnPacedKeyer::kCom)});
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    std::ostringstream out, err;
    if (zt::cli::RunCli(static_cast<int>(argv.size()), argv.data(), {out, err, false}) != 0) {
        std::fprintf(stderr, "cli_bench: %s", err.str().c_str());
        std::exit(1);
    }
}

}  // namespace

int main() {
    using namespace zt::bench;
    WindowOnPacedKeyer bench("cli_bench");
    zt::sim::Simulator& sim = bench.sim();
    const std::string file = std::string(std::getenv("XDG_CONFIG_HOME")) + "/bench.eep";
    const zt::KeyerWaits waits;

    struct Case {
        const char* name;
        std::vector<std::string> args;
        std::size_t replies;
        double fixedMs;
    };
    const Case cases[] = {
        {"ztcli read",
         {"read", file},
         kDetectionReplies + kSettingsReply,
         double(waits.full.settleMs)},
        {"ztcli write -n",
         {"write", "--no-verify", file},
         kDetectionReplies,
         double(waits.full.settleMs + waits.storeMs)},
        {"ztcli write",
         {"write", file},
         kDetectionReplies + kSettingsReply,
         double(waits.full.settleMs + waits.storeMs)},
    };
    std::printf("SMT keyer, firmware 31.05, 1200 baud paced, median of %d runs\n", kRuns);
    for (const Case& c : cases) {
        std::vector<double> times;
        Shares shares;
        std::size_t sent = 0;
        for (int i = 0; i < kRuns; ++i) {
            sim.ClearReceived();
            times.push_back(TimeMs([&] { Cli(c.args); }));
            sent = sim.Received().size();
            shares.Add(sim.timing());
        }
        Report(c.name, Median(times), sent + c.replies, c.fixedMs);
        shares.Report();
    }
    return 0;
}
