#pragma once
// What the benchmarks share: the median, timing, the report line, and the
// main window against a virtual keyer paced at the real line rate.
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/session.h"
#include "resources/templates.h"
#include "sim/simulator.h"
#include "system/paths.h"
#include "ui/scripted_host.h"

extern char** environ;

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

// A program run to its end, and what it cost: its own CPU time as the system
// counts it (user and system), not that of the simulators in this process.
struct ChildRun {
    double wallMs = 0;
    double cpuMs = 0;
    long peakKb = 0;  // the most memory it held at once
    int status = -1;
};

inline double Ms(const timeval& t) {
    return t.tv_sec * 1e3 + t.tv_usec / 1e3;
}

// program with args, its output and errors thrown away.
inline ChildRun RunChild(const std::string& program, std::vector<std::string> args) {
    args.insert(args.begin(), program);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    ChildRun run;
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    run.wallMs = TimeMs([&] {
        if (posix_spawn(&pid, argv[0], &quiet, nullptr, argv.data(), environ) != 0) return;
        int status = 0;
        rusage usage{};
        if (wait4(pid, &status, 0, &usage) != pid) return;
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        run.cpuMs = Ms(usage.ru_utime) + Ms(usage.ru_stime);
        run.peakKb = usage.ru_maxrss;
    });
    posix_spawn_file_actions_destroy(&quiet);
    return run;
}

// An SMT image, version 31.05, with a few words to program, in dir; its path.
inline std::string WriteImage(const std::string& dir) {
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

// A paced keyer as COM9 in a private configuration folder, and the main
// window open on it with the scripted host and a session of its own.
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
        session_.comPortNumber = kCom;
        window_ = ui::openWindow(kMainTemplate, nullptr, MainWindowProc);
    }
    ~WindowOnPacedKeyer() {
        ui::closeWindow(*window_);
        session_.port.Close();
        sim_->Stop();
        std::filesystem::remove_all(dir_);
    }
    ui::Window& window() { return *window_; }
    sim::Simulator& sim() { return *sim_; }
    Session& session() { return session_; }

    static constexpr int kCom = 9;

  private:
    std::string dir_;
    ui::ScopedScriptedHost host_;
    Session session_;
    SessionScope current_{session_};
    std::unique_ptr<sim::Simulator> sim_;
    std::unique_ptr<ui::Window> window_;
};

}  // namespace zt::bench
