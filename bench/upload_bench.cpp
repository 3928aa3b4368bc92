// A whole firmware upload against the virtual keyer: paced at the real line
// rates, against the limit of the line time of every byte plus the fixed
// pauses; and unpaced, for the host's own time per frame. Not a test: run by
// hand, upload_bench [paced runs] (default 3; each takes about 22 s).
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "bench_support.h"
#include "firmware/upload.h"
#include "sim/simulator.h"

namespace {

using zt::bench::Median;

constexpr int kFrames = 956;  // no high block
constexpr int kUnpacedRuns = 5;
// Start, 8 data and stop bits.
constexpr double kSlowCharMs = 10.0 * 1000.0 / 1200.0;
constexpr double kFastCharMs = 10.0 * 1000.0 / 9600.0;
// At 1200: 00 10 9B, 00 04 55, the AA answer, 35. At 9600: each frame and
// its reply, then 5A.
constexpr int kSlowChars = 3 + 3 + 1 + 1;
constexpr int kFastChars = kFrames * (zt::kFrameSize + 1) + 1;

using Clock = std::chrono::steady_clock;

double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

struct Run {
    double wallMs = 0;
    double cpuMs = 0;  // the worker thread's own
    zt::UploadResult result = zt::UploadResult::Running;
    zt::sim::Timing timing;
};

Run Upload(zt::Port& port, const zt::FirmwareImage& image) {
    zt::UploadStatus status;
    zt::UploadJob job{&port, &image, false, {}, {}};
    Run run;
    const auto start = Clock::now();
    std::thread worker([&] {
        const double cpu = ThreadCpuMs();
        zt::RunUpload(job, status);
        run.cpuMs = ThreadCpuMs() - cpu;
    });
    worker.join();
    run.wallMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    run.result = status.result;
    return run;
}

std::vector<Run> Runs(bool pace, int count, const zt::FirmwareImage& image) {
    zt::sim::Config config;
    config.pace = pace;
    zt::sim::Simulator sim(config);
    std::string error;
    if (!sim.Start(&error)) {
        std::fprintf(stderr, "upload_bench: %s\n", error.c_str());
        std::exit(1);
    }
    zt::Port port;
    if (port.OpenDevice(sim.DevicePath()) != zt::PortOpen::Ok) {
        std::fprintf(stderr, "upload_bench: cannot open %s\n", sim.DevicePath().c_str());
        std::exit(1);
    }
    std::vector<Run> runs;
    for (int i = 0; i < count; ++i) {
        sim.ClearReceived();
        runs.push_back(Upload(port, image));
        runs.back().timing = sim.timing();
        if (runs.back().result != zt::UploadResult::Done) {
            std::fprintf(stderr, "upload_bench: %s\n",
                         zt::UploadResultText(runs.back().result).c_str());
            std::exit(1);
        }
    }
    port.Close();
    sim.Stop();
    return runs;
}

}  // namespace

int main(int argc, char** argv) {
    const int pacedRuns = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    zt::FirmwareImage image;
    zt::BlankImage(image);
    const zt::UploadWaits waits;
    const double pauses = waits.beforeFast + waits.afterRestart + waits.afterSlow;

    std::vector<double> wall;
    zt::bench::Shares paced;
    for (const Run& r : Runs(true, pacedRuns, image)) {
        wall.push_back(r.wallMs);
        paced.Add(r.timing);
    }
    const double line = kSlowChars * kSlowCharMs + kFastChars * kFastCharMs;
    const double limit = line + pauses;
    const double measured = Median(wall);
    std::printf("%d frames, keyer paced at 1200/9600 baud, median of %d runs\n", kFrames,
                pacedRuns);
    std::printf(
        "upload      measured %8.1f ms   limit %8.1f ms (%.1f ms on the line + %.0f ms "
        "pauses)   ratio %.4f (+%.2f %%)\n",
        measured, limit, line, pauses, measured / limit, (measured / limit - 1) * 100);
    paced.Report();

    std::vector<double> perFrame, cpuPerFrame;
    zt::bench::Shares unpaced;
    for (const Run& r : Runs(false, kUnpacedRuns, image)) {
        perFrame.push_back((r.wallMs - pauses) / kFrames);
        cpuPerFrame.push_back(r.cpuMs / kFrames);
        unpaced.Add(r.timing);
    }
    std::printf(
        "unpaced, median of %d runs: %.3f ms per frame and reply (host and simulator),"
        " of which the worker's own CPU %.3f ms\n",
        kUnpacedRuns, Median(perFrame), Median(cpuPerFrame));
    unpaced.Report(false);
    return 0;
}
