// Finding the keyer: the probe over several silent ports and one keyer, all
// virtual, the keyer paced at the real line rate. Reports a silent port
// against its budget of half a second; the keyer's detection against its
// limit (its bytes on the line plus the settle pause); and the whole probe
// against one silent port, the slowest of them, which sets its time when the
// ports are tried side by side. Not a test: run by hand.
#include "bench_support.h"
#include "link/probe.h"

namespace {

constexpr int kRuns = 5;
constexpr int kSilentPorts = 4;
constexpr int kFirstCom = 41;
constexpr double kSilentBudgetMs = 500;

std::unique_ptr<zt::sim::Simulator> Start(zt::sim::Config config) {
    auto sim = std::make_unique<zt::sim::Simulator>(config);
    std::string error;
    if (!sim->Start(&error)) {
        std::fprintf(stderr, "probe_bench: %s\n", error.c_str());
        std::exit(1);
    }
    return sim;
}

}  // namespace

int main() {
    using namespace zt::bench;
    char pattern[] = "/tmp/ztbench-XXXXXX";
    const std::string dir = mkdtemp(pattern);
    setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    zt::MakeDirs(zt::PortsDir());

    // Listed by hand, so that whatever real ports the machine has stay out.
    std::vector<std::unique_ptr<zt::sim::Simulator>> sims;
    std::vector<zt::PortEntry> ports;
    for (int i = 0; i <= kSilentPorts; ++i) {
        zt::sim::Config config;
        config.com = kFirstCom + i;
        config.pace = true;
        config.faults.silent = i < kSilentPorts;  // the last one is the keyer
        sims.push_back(Start(config));
        ports.push_back({config.com, sims.back()->LinkPath(), "", zt::ProbeResult::Present});
    }
    zt::sim::Simulator& keyer = *sims.back();

    std::vector<double> silent, answering, whole;
    Shares keyerShares;
    std::size_t keyerBytes = 0;
    for (int i = 0; i < kRuns; ++i) {
        silent.push_back(TimeMs([&] { zt::ProbePort(ports.front()); }));
        keyer.ClearReceived();
        answering.push_back(TimeMs([&] { zt::ProbePort(ports.back()); }));
        keyerShares.Add(keyer.timing());
        std::vector<zt::ProbedPort> found;
        whole.push_back(TimeMs([&] { found = zt::ProbePorts(ports); }));
        keyerBytes = keyer.Received().size() / 2;  // probed alone, then with the others
        if (found.size() != ports.size() || !found.back().KeyerAnswered() ||
            found.front().KeyerAnswered()) {
            std::fprintf(stderr, "probe_bench: the probe did not find the keyer alone\n");
            return 1;
        }
    }
    for (auto& sim : sims) sim->Stop();
    std::filesystem::remove_all(dir);

    // As in detection: one reply byte per two-byte frame, three bytes in the echo's.
    const std::size_t lineBytes = keyerBytes + (keyerBytes - 1) / 2;
    const double settle = zt::ProbeWaits().settleMs;
    std::printf("%d silent ports and an SMT keyer (31.05), 1200 baud paced, median of %d runs\n",
                kSilentPorts, kRuns);
    const double oneSilent = Median(silent);
    std::printf("%-16s measured %7.1f ms   budget  %7.1f ms   ratio %.3f\n", "silent port",
                oneSilent, kSilentBudgetMs, oneSilent / kSilentBudgetMs);
    Report("keyer", Median(answering), lineBytes, settle);
    keyerShares.Report();
    std::printf("%-16s measured %7.1f ms   one silent port %7.1f ms   ratio %.3f\n", "probe, all",
                Median(whole), oneSilent, Median(whole) / oneSilent);
    return 0;
}
