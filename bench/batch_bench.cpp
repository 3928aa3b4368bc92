// ztcli on many keyers at once against one: `read --port all` and `upload
// --port all` beside `read` and `upload` on one keyer, in the same run, with
// every keyer paced at the real line rates. Prints each ratio (at most 1.02
// is the aim), as measured and with the time the simulators, which all run in
// this process, fell behind the line taken out; and ztcli's own CPU time per
// keyer, taken from the system for the ztcli program alone. Not a
// test: run by hand, batch_bench [KEYERS...] (default 1 8 32; an upload takes
// about 22 s, each count costs two of them and two reads).
#include <cstdio>
#include <fstream>
#include <memory>

#include "bench_support.h"

namespace {

constexpr int kFirstCom = 9;

struct Case {
    zt::bench::ChildRun one, all;
    double simulatorsCpuMs = 0;  // this process's, in the run on all
    // How far the simulators ran behind the line: the one keyer's, and the
    // slowest of all's, which that run waits for. On a loaded machine the
    // simulators, not ztcli, are what lags.
    double oneLagMs = 0, allLagMs = 0;
};

double OwnCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return zt::bench::Ms(usage.ru_utime) + zt::bench::Ms(usage.ru_stime);
}

// The machine's load over the last minute, as the system counts it.
double LoadAverage() {
    double load = -1;
    std::ifstream("/proc/loadavg") >> load;
    return load;
}

void Report(const char* what, int keyers, const Case& c) {
    std::printf(
        "%2d keyers  %-7s one %8.1f ms   all %8.1f ms   ratio %.3f (%.3f without the simulators' "
        "lag)   CPU per keyer %6.1f ms (one keyer alone %6.1f ms)   exit %d/%d\n",
        keyers, what, c.one.wallMs, c.all.wallMs, c.all.wallMs / c.one.wallMs,
        (c.all.wallMs - c.allLagMs) / (c.one.wallMs - c.oneLagMs), c.all.cpuMs / keyers,
        c.one.cpuMs, c.one.status, c.all.status);
    std::printf(
        "%-16s the simulators behind the line: %.1f ms (one), %.1f ms (the slowest of all); "
        "their CPU in the run on all: %.0f ms; ztcli's peak memory %ld KiB (one keyer alone %ld "
        "KiB)\n",
        "", c.oneLagMs, c.allLagMs, c.simulatorsCpuMs, c.all.peakKb, c.one.peakKb);
}

// ztcli with args on sims, one keyer or all of them, and where the time went:
// the program's turnarounds and how far the paced simulators ran behind the
// line, over all keyers and for the slowest (lagMs), which the run waits for.
zt::bench::ChildRun Run(std::vector<std::unique_ptr<zt::sim::Simulator>>& sims,
                        std::vector<std::string> args, double& lagMs, double* cpuMs = nullptr) {
    for (auto& sim : sims) sim->ClearReceived();
    const double cpu = OwnCpuMs();
    const zt::bench::ChildRun run = zt::bench::RunChild(ZTCLI_PROGRAM, std::move(args));
    if (cpuMs) *cpuMs = OwnCpuMs() - cpu;
    zt::bench::Shares shares;
    lagMs = 0;
    for (auto& sim : sims) {
        shares.Add(sim->timing());
        lagMs = std::max(lagMs, sim->timing().lag.count() / 1000.0);
    }
    if (cpuMs) shares.Report();
    return run;
}

// keyers paced keyers as COM9 and up, each command once on COM9 and once on all.
void Measure(int keyers, const std::string& dir, const std::string& image) {
    std::vector<std::unique_ptr<zt::sim::Simulator>> sims;
    for (int i = 0; i < keyers; ++i) {
        zt::sim::Config config;
        config.pace = true;
        config.com = kFirstCom + i;
        sims.push_back(std::make_unique<zt::sim::Simulator>(config));
        std::string error;
        if (!sims.back()->Start(&error)) {
            std::fprintf(stderr, "batch_bench: COM%d: %s\n", config.com, error.c_str());
            std::exit(1);
        }
    }
    const std::string one = std::to_string(kFirstCom);
    Case read, upload;
    read.one = Run(sims, {"--port", one, "read", dir + "/one.eep"}, read.oneLagMs);
    read.all = Run(sims, {"--port", "all", "read", dir + "/keyer-{com}.eep"}, read.allLagMs,
                   &read.simulatorsCpuMs);
    Report("read", keyers, read);
    upload.one = Run(sims, {"--port", one, "upload", image}, upload.oneLagMs);
    upload.all =
        Run(sims, {"--port", "all", "upload", image}, upload.allLagMs, &upload.simulatorsCpuMs);
    Report("upload", keyers, upload);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> counts;
    for (int i = 1; i < argc; ++i) counts.push_back(std::max(1, std::atoi(argv[i])));
    if (counts.empty()) counts = {1, 8, 32};
    char pattern[] = "/tmp/ztbench-XXXXXX";
    const std::string dir = mkdtemp(pattern);
    setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    zt::MakeDirs(zt::PortsDir());
    const std::string image = zt::bench::WriteImage(dir);
    std::printf("ztcli on several paced keyers against one, load average %.2f at the start\n",
                LoadAverage());
    for (int keyers : counts) Measure(std::min(keyers, 50 - kFirstCom + 1), dir, image);
    std::printf("load average %.2f at the end\n", LoadAverage());
    std::filesystem::remove_all(dir);
    return 0;
}
