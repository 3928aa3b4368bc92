// ztcli on many keyers at once against one: `read --port all` and `upload
// --port all` beside `read` and `upload` on one keyer, in the same run, with
// every keyer paced at the real line rates. Prints each ratio (at most 1.02
// is the aim) and ztcli's own CPU time per keyer, taken from the system for
// the ztcli program alone, so that the simulators' is not counted. Not a
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
        "%2d keyers  %-7s one %8.1f ms   all %8.1f ms   ratio %.3f   CPU per keyer %6.1f ms "
        "(one keyer alone %6.1f ms)   exit %d/%d\n",
        keyers, what, c.one.wallMs, c.all.wallMs, c.all.wallMs / c.one.wallMs, c.all.cpuMs / keyers,
        c.one.cpuMs, c.one.status, c.all.status);
    std::printf(
        "%-16s the simulators' CPU in the run on all: %.0f ms; ztcli's peak memory %ld KiB "
        "(one keyer alone %ld KiB)\n",
        "", c.simulatorsCpuMs, c.all.peakKb, c.one.peakKb);
}

// The run on all ports, with where the time went: the program's turnarounds
// and how far the paced simulators ran behind the line, over all keyers.
zt::bench::ChildRun OnAll(std::vector<std::unique_ptr<zt::sim::Simulator>>& sims,
                          std::vector<std::string> args, Case& c) {
    for (auto& sim : sims) sim->ClearReceived();
    const double cpu = OwnCpuMs();
    const zt::bench::ChildRun run = zt::bench::RunChild(ZTCLI_PROGRAM, std::move(args));
    c.simulatorsCpuMs = OwnCpuMs() - cpu;
    zt::bench::Shares shares;
    for (auto& sim : sims) shares.Add(sim->timing());
    shares.Report();
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
    const auto run = [](std::vector<std::string> args) {
        return zt::bench::RunChild(ZTCLI_PROGRAM, std::move(args));
    };
    Case read, upload;
    read.one = run({"--port", one, "read", dir + "/one.eep"});
    read.all = OnAll(sims, {"--port", "all", "read", dir + "/keyer-{com}.eep"}, read);
    Report("read", keyers, read);
    upload.one = run({"--port", one, "upload", image});
    upload.all = OnAll(sims, {"--port", "all", "upload", image}, upload);
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
