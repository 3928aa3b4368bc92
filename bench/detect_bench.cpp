// Test ZT and bare detection against the virtual keyer at the real line rate.
// Prints the measured time, the limit (line time of every byte plus the fixed
// settle pause before the purge) and their ratio. Not a test: run by hand.
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/keyer_commands.h"
#include "app/main_window.h"
#include "common/app_state.h"
#include "link/detect.h"
#include "platform/paths.h"
#include "platform/scripted_host.h"
#include "resources/ids.h"
#include "resources/templates.h"
#include "sim/simulator.h"

namespace {

constexpr int kCom = 9;
constexpr double kCharMs = 10.0 * 1000.0 / 1200.0;  // start, 8 data, stop bits at 1200 baud
constexpr int kRuns = 7;

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <typename F>
double TimeMs(F run) {
    auto start = Clock::now();
    run();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void Report(const char* what, double measured, std::size_t bytes, double fixedMs) {
    double limit = bytes * kCharMs + fixedMs;
    std::printf(
        "%-16s measured %7.1f ms   limit %7.1f ms (%zu bytes on the line + %.0f ms "
        "fixed)   ratio %.3f (+%.1f %%)\n",
        what, measured, limit, bytes, fixedMs, measured / limit, (measured / limit - 1) * 100);
}

}  // namespace

int main() {
    char pattern[] = "/tmp/ztbench-XXXXXX";
    std::string dir = mkdtemp(pattern);
    setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    zt::MakeDirs(zt::PortsDir());

    zt::sim::Config config;
    config.pace = true;
    config.com = kCom;
    zt::sim::Simulator sim(config);
    std::string error;
    if (!sim.Start(&error)) {
        std::fprintf(stderr, "detect_bench: %s\n", error.c_str());
        return 1;
    }
    ui::ScopedScriptedHost scoped;
    zt::comPortNumber = kCom;
    auto w = ui::openWindow(zt::kMainTemplate, nullptr, zt::MainWindowProc);
    const double settle = zt::keyerPort.waits().settleMs;

    std::vector<double> tests, detections;
    std::size_t testBytes = 0, detectBytes = 0;
    for (int i = 0; i < kRuns; ++i) {
        sim.ClearReceived();
        tests.push_back(TimeMs([&] { ui::click(*w, zt::ids::kTestZt); }));
        testBytes = sim.Received().size();

        zt::keyerPort.Close();
        sim.ClearReceived();
        detections.push_back(
            TimeMs([&] { zt::DetectKeyer(zt::keyerPort, kCom, zt::appState.keyer); }));
        detectBytes = sim.Received().size();
    }
    // Every command but the echo gets one reply byte per two-byte frame; the
    // echo's frame has three bytes.
    auto withReplies = [](std::size_t sent) { return sent + (sent - 1) / 2; };
    std::printf("SMT keyer, firmware 31.05, 1200 baud paced, median of %d runs\n", kRuns);
    Report("Test ZT", Median(tests), withReplies(testBytes), settle);
    Report("detection", Median(detections), withReplies(detectBytes), settle);

    ui::closeWindow(*w);
    zt::keyerPort.Close();
    sim.Stop();
    std::filesystem::remove_all(dir);
    return 0;
}
