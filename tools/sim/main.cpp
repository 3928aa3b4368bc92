// ztsim: a virtual keyer on a pseudo-terminal, linked into the ports
// directory as comN so the desktop program and ztcli find it like a port.

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <thread>

#include "sim/options.h"
#include "sim/simulator.h"

namespace {

using zt::sim::Config;
using zt::sim::Mode;
using zt::sim::Simulator;

std::string Describe(const Config& c) {
    if (c.bootLoaderOnly) return "boot loader only";
    static const char* const kNames[] = {"?", "SMT", "DIP", "AF", "MINI"};
    const auto& id = c.identity;
    char text[160];
    std::snprintf(text, sizeof text,
                  "%s, firmware %d, minor byte %d, pot %d, push-button %d, supply %d (%.2f V)",
                  id.variant <= 4 ? kNames[id.variant] : "?", id.major, id.MinorOnWire(), id.pot,
                  id.pushbutton, id.supply, id.supply ? 26214.4 / id.supply / 100 : 0.0);
    return text;
}

int Run(int argc, char** argv) {
    Config config;
    const int parsed = zt::sim::ParseOptions(argc, argv, &config, std::cout, std::cerr);
    if (parsed >= 0) return parsed;

    // Signals are taken by sigwait below; the simulator's thread inherits
    // the mask and never sees them.
    sigset_t signals;
    sigemptyset(&signals);
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGUSR1}) sigaddset(&signals, s);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    Simulator sim(config);
    std::string error;
    if (!config.settingsPath.empty() && access(config.settingsPath.c_str(), F_OK) == 0 &&
        !sim.LoadSettings(config.settingsPath, &error)) {
        std::fprintf(stderr, "ztsim: %s\n", error.c_str());
        return 1;
    }
    if (!config.programPath.empty() && access(config.programPath.c_str(), F_OK) == 0 &&
        !sim.LoadProgram(config.programPath, &error)) {
        std::fprintf(stderr, "ztsim: %s\n", error.c_str());
        return 1;
    }
    if (!sim.Start(&error)) {
        std::fprintf(stderr, "ztsim: %s\n", error.c_str());
        if (error.find("present") != std::string::npos)
            std::fprintf(stderr, "ztsim: --replace takes the link over, or pick another --com\n");
        return 1;
    }
    if (config.com > 0)
        std::printf("ztsim: keyer on %s as com%d\n", sim.DevicePath().c_str(), config.com);
    else
        std::printf("ztsim: keyer on %s\n", sim.DevicePath().c_str());
    std::printf("ztsim: %s\n", Describe(config).c_str());
    std::fflush(stdout);

    // A hang-up ends the simulator's thread by itself; wake the main thread
    // with a signal it is waiting for anyway.
    std::thread watcher([&sim] {
        sim.Wait();
        kill(getpid(), SIGHUP);
    });

    for (;;) {
        int signal = 0;
        if (sigwait(&signals, &signal) != 0) continue;
        if (signal == SIGUSR1) {
            sim.PowerCycle();
            std::printf("ztsim: power cycled, now in %s mode\n", zt::sim::ModeName(sim.mode()));
            std::fflush(stdout);
            continue;
        }
        break;
    }
    bool hungUp = sim.mode() == Mode::kHungUp;
    sim.Stop();
    watcher.join();

    int status = 0;
    if (!config.settingsPath.empty() && !sim.SaveSettings(config.settingsPath, &error)) {
        std::fprintf(stderr, "ztsim: %s\n", error.c_str());
        status = 1;
    }
    if (!config.programPath.empty() && !sim.SaveProgram(config.programPath, &error)) {
        std::fprintf(stderr, "ztsim: %s\n", error.c_str());
        status = 1;
    }
    std::printf("ztsim: %s\n", hungUp ? "line dropped, link removed" : "stopped, link removed");
    return status;
}

}  // namespace

// Whatever throws ends ztsim with its reason, never with an abort.
int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "ztsim: %s\n", e.what());
        return 1;
    }
}
