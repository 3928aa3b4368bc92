#pragma once
// What the benchmarks share: the median, timing, the report line, and the
// main window against a virtual keyer paced at the real line rate.
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/session.h"
#include "resources/templates.h"
#include "sim/simulator.h"
#include "system/paths.h"
#include "ui/scripted_host.h"

namespace zt::bench {

constexpr double kCharMs1200 = 10.0 * 1000.0 / 1200.0;  // start, 8 data, stop bits

inline double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <typename F>
double TimeMs(F run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// What the program and the simulator each added to a case's runs, from the
// simulator's timing of every exchange: the program's turnarounds (the
// reply's last byte out to the next request's first byte in) and how far
// the paced simulator ran behind the line's own rate.
class Shares {
  public:
    // One run's timing.
    void Add(const sim::Timing& t) {
        double total = 0;
        for (auto us : t.turnarounds) {
            turnarounds_.push_back(us.count() / 1000.0);
            total += us.count() / 1000.0;
        }
        runTurnarounds_.push_back(total);
        lags_.push_back(t.lag.count() / 1000.0);
        exchanges_ = t.exchanges;
    }
    // A line under the case's: the median turnaround, the turnarounds and the
    // lag of a median run.
    void Report(bool paced = true) const {
        if (turnarounds_.empty()) return;
        std::printf("%-16s program: median turnaround %.3f ms (%zu exchanges, %.1f ms a run)", "",
                    Median(turnarounds_), exchanges_, Median(runTurnarounds_));
        if (paced) std::printf("   simulator behind the line %.1f ms a run", Median(lags_));
        std::printf("\n");
    }
    double MedianTurnaroundMs() const { return Median(turnarounds_); }

  private:
    std::vector<double> turnarounds_, runTurnarounds_, lags_;
    std::size_t exchanges_ = 0;
};

// One line: measured, the limit (bytes at 1200 baud plus the fixed waits), ratio.
inline void Report(const char* what, double measured, std::size_t bytes, double fixedMs) {
    const double limit = bytes * kCharMs1200 + fixedMs;
    std::printf(
        "%-16s measured %7.1f ms   limit %7.1f ms (%zu bytes on the line + %.0f ms "
        "fixed)   ratio %.3f (%+.1f %%)\n",
        what, measured, limit, bytes, fixedMs, measured / limit, (measured / limit - 1) * 100);
}

// A paced keyer as COM9 in a private configuration folder, and the main
// window open on it with the scripted host.
class WindowOnPacedKeyer {
  public:
    explicit WindowOnPacedKeyer(const char* program) {
        char pattern[] = "/tmp/ztbench-XXXXXX";
        dir_ = mkdtemp(pattern);
        setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
        MakeDirs(PortsDir());
        sim::Config config;
        config.pace = true;
        config.com = kCom;
        sim_ = std::make_unique<sim::Simulator>(config);
        std::string error;
        if (!sim_->Start(&error)) {
            std::fprintf(stderr, "%s: %s\n", program, error.c_str());
            std::exit(1);
        }
        appState.comPortNumber = kCom;
        window_ = ui::openWindow(kMainTemplate, nullptr, MainWindowProc);
    }
    ~WindowOnPacedKeyer() {
        ui::closeWindow(*window_);
        keyerPort.Close();
        sim_->Stop();
        std::filesystem::remove_all(dir_);
    }
    ui::Window& window() { return *window_; }
    sim::Simulator& sim() { return *sim_; }

    static constexpr int kCom = 9;

  private:
    std::string dir_;
    ui::ScopedScriptedHost host_;
    std::unique_ptr<sim::Simulator> sim_;
    std::unique_ptr<ui::Window> window_;
};

}  // namespace zt::bench
