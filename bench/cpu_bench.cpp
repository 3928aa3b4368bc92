// The host's CPU time for what mostly waits: `ztcli test` against a silent
// port and against a keyer whose line stalls after detection, and a whole
// `ztcli upload` against a keyer paced at the real line rates. Runs the ztcli program itself and
// takes its CPU time from the system (user and system time of the child), so the simulator's own is
// not counted. Not a test: run by hand, cpu_bench [runs] (default 3; an
// upload takes about 22 s).
#include "bench_support.h"

namespace {

constexpr int kKeyerCom = 9;
constexpr int kSilentCom = 10;
constexpr int kStalledCom = 11;
constexpr long kDetectionBytes = 9;  // echo, major, minor and variant queries

void Report(const char* what, const std::vector<zt::bench::ChildRun>& runs) {
    std::vector<double> wall, cpu;
    for (const zt::bench::ChildRun& r : runs) wall.push_back(r.wallMs), cpu.push_back(r.cpuMs);
    const double w = zt::bench::Median(wall), c = zt::bench::Median(cpu);
    std::printf("%-22s wall %8.1f ms   CPU %7.1f ms   CPU/wall %.4f   (exit %d)\n", what, w, c,
                c / w, runs.back().status);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace zt::bench;
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    WindowOnPacedKeyer bench("cpu_bench");  // the keyer, paced, as COM9
    zt::sim::Config config;
    config.com = kSilentCom;
    config.faults.silent = true;
    zt::sim::Simulator silent(config);
    config = {};
    config.com = kStalledCom;
    config.faults.stallAfter = kDetectionBytes;
    zt::sim::Simulator stalled(config);
    std::string error;
    if (!silent.Start(&error) || !stalled.Start(&error)) {
        std::fprintf(stderr, "cpu_bench: %s\n", error.c_str());
        return 1;
    }
    const std::string image = zt::bench::WriteImage(std::getenv("XDG_CONFIG_HOME"));

    using zt::bench::ChildRun;
    const auto RunZtcli = [](const std::vector<std::string>& args) {
        return zt::bench::RunChild(ZTCLI_PROGRAM, args);
    };
    std::vector<ChildRun> silentTests, stalledTests, uploads;
    for (int i = 0; i < runs; ++i) {
        silentTests.push_back(RunZtcli({"--port", std::to_string(kSilentCom), "test"}));
        stalled.SetFaults(config.faults);  // counts its bytes anew
        stalledTests.push_back(RunZtcli({"--port", std::to_string(kStalledCom), "test"}));
        uploads.push_back(RunZtcli({"--port", std::to_string(kKeyerCom), "upload", image}));
    }
    silent.Stop();
    stalled.Stop();
    std::printf("ztcli as a program, median of %d runs\n", runs);
    Report("test, silent port", silentTests);
    Report("test, stalled line", stalledTests);
    Report("upload, paced keyer", uploads);
    return 0;
}
