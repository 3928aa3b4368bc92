// The host's CPU time for what mostly waits: `ztcli test` against a silent
// port and against a keyer whose line stalls after detection, and a whole
// `ztcli upload` against a keyer paced at the real line rates. Runs the ztcli program itself and
// takes its CPU time from the system (user and system time of the child), so the simulator's own is
// not counted. Not a test: run by hand, cpu_bench [runs] (default 3; an
// upload takes about 22 s).
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <fstream>

#include "bench_support.h"

extern char** environ;

namespace {

constexpr int kKeyerCom = 9;
constexpr int kSilentCom = 10;
constexpr int kStalledCom = 11;
constexpr long kDetectionBytes = 9;  // echo, major, minor and variant queries

struct ChildRun {
    double wallMs = 0;
    double cpuMs = 0;  // user and system
    int status = -1;
};

double Ms(const timeval& t) {
    return t.tv_sec * 1e3 + t.tv_usec / 1e3;
}

ChildRun RunZtcli(std::vector<std::string> args) {
    args.insert(args.begin(), ZTCLI_PROGRAM);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    ChildRun run;
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    run.wallMs = zt::bench::TimeMs([&] {
        if (posix_spawn(&pid, argv[0], &quiet, nullptr, argv.data(), environ) != 0) return;
        int status = 0;
        rusage usage{};
        if (wait4(pid, &status, 0, &usage) != pid) return;
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        run.cpuMs = Ms(usage.ru_utime) + Ms(usage.ru_stime);
    });
    posix_spawn_file_actions_destroy(&quiet);
    return run;
}

// An SMT image, version 31.05, with a few words to program.
std::string WriteImage(const std::string& dir) {
    auto record = [](int address, std::vector<int> data) {
        char text[16];
        std::snprintf(text, sizeof text, ":%02X%04X00", int(data.size()), address);
        std::string line = text;
        int sum = int(data.size()) + (address >> 8) + (address & 255);
        for (int b : data) {
            std::snprintf(text, sizeof text, "%02X", b);
            line += text;
            sum += b;
        }
        std::snprintf(text, sizeof text, "%02X\n", (256 - sum % 256) % 256);
        return line + text;
    };
    const std::string path = dir + "/zt_smt_31_05.hex";
    std::ofstream(path) << record(0, {0, 0, 0, 0, 0, 0, 0, 31, 5}) << record(64, {1, 2, 3, 4})
                        << ":00000001FF\n";
    return path;
}

void Report(const char* what, const std::vector<ChildRun>& runs) {
    std::vector<double> wall, cpu;
    for (const ChildRun& r : runs) wall.push_back(r.wallMs), cpu.push_back(r.cpuMs);
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
    const std::string image = WriteImage(std::getenv("XDG_CONFIG_HOME"));

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
