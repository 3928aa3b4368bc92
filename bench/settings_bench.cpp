// Read ZT and Write ZT against the virtual keyer at the real line rate.
// Prints the measured time, the limit (line time of every byte plus the
// fixed waits: the settle pause before the purge and, for a write, the pause
// in which the keyer stores) and their ratio. Not a test: run by hand.
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
#include "platform/paths.h"
#include "platform/scripted_host.h"
#include "resources/ids.h"
#include "resources/templates.h"
#include "sim/simulator.h"

namespace {

constexpr int kCom = 9;
constexpr double kCharMs = 10.0 * 1000.0 / 1200.0;  // start, 8 data, stop bits at 1200 baud
constexpr int kRuns = 5;
constexpr std::size_t kDetectionReplies = 4;  // echo, major, minor, variant
constexpr std::size_t kSettingsReply = 300;   // the dump and the extension block

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
        "%-9s measured %7.1f ms   limit %7.1f ms (%zu bytes on the line + %.0f ms "
        "fixed)   ratio %.3f (%+.1f %%)\n",
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
        std::fprintf(stderr, "settings_bench: %s\n", error.c_str());
        return 1;
    }
    ui::ScopedScriptedHost scoped;
    zt::comPortNumber = kCom;
    auto w = ui::openWindow(zt::kMainTemplate, nullptr, zt::MainWindowProc);
    const double settle = zt::keyerPort.waits().settleMs;
    const double store = zt::keyerPort.waits().storeMs;

    ui::click(*w, zt::ids::kTestZt);  // finds the keyer, which opens up Read and Write
    std::vector<double> reads, writes;
    std::size_t readSent = 0, writeSent = 0;
    for (int i = 0; i < kRuns; ++i) {
        sim.ClearReceived();
        reads.push_back(TimeMs([&] { ui::click(*w, zt::ids::kReadZt); }));
        readSent = sim.Received().size();
        sim.ClearReceived();
        writes.push_back(TimeMs([&] { ui::click(*w, zt::ids::kWriteZt); }));
        // The pause runs while the line still carries the block's tail, so
        // wait for the keyer to take it all before the next run.
        sim.WaitForReceived(writeSent ? writeSent : 313, std::chrono::seconds(10));
        writeSent = sim.Received().size();
    }
    std::printf("SMT keyer, firmware 31.05, 1200 baud paced, median of %d runs\n", kRuns);
    Report("Read ZT", Median(reads), readSent + kDetectionReplies + kSettingsReply, settle);
    Report("Write ZT", Median(writes), writeSent + kDetectionReplies, settle + store);

    ui::closeWindow(*w);
    zt::keyerPort.Close();
    sim.Stop();
    std::filesystem::remove_all(dir);
    return 0;
}
