// ztsim: a virtual keyer on a pseudo-terminal, linked into the ports
// directory as comN so the desktop program and ztcli find it like a port.

#include <getopt.h>
#include <pthread.h>
#include <signal.h>
#include <strings.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <thread>

#include "sim/simulator.h"

namespace {

using zt::sim::Config;
using zt::sim::Mode;
using zt::sim::Simulator;

const char kUsage[] =
    "Usage: ztsim [options]\n"
    "A virtual Zentor 3 keyer on a pseudo-terminal.\n"
    "\n"
    "  --com N             link the keyer as comN in the ports directory (default 1;\n"
    "                      0 makes no link)\n"
    "  --replace           take comN over even from a port that is present\n"
    "  --variant V         SMT, DIP, AF, MINI or a number 0-255 (default SMT)\n"
    "  --major N           major firmware revision (default 31)\n"
    "  --minor N           minor revision; the variant's offset is added on the wire\n"
    "                      (default 5)\n"
    "  --minor-byte B      send B as the minor byte, as it is\n"
    "  --pot N             speed-pot reading (default 128)\n"
    "  --pb N              push-button reading (default 255)\n"
    "  --supply N          supply reading (default 52, which is 5.04 V)\n"
    "  --boot-loader-only  no firmware: only the boot loader answers (echo AA)\n"
    "  --pace              take and send bytes at the line rate (1200 or 9600 baud);\n"
    "                      a host that writes faster is held back, as by a UART\n"
    "  --log FILE          hex log of all traffic; - for stderr\n"
    "  --settings FILE     stored settings (300 bytes): read at start when FILE\n"
    "                      exists, written on every change and at exit\n"
    "  --program FILE      program memory (8192 words, low byte first): read at start\n"
    "                      when FILE exists, written at every restart and at exit\n"
    "\n"
    "Faults:\n"
    "  --silent            take everything, answer nothing\n"
    "  --echo B            answer the firmware's echo test with B\n"
    "  --sync B            the boot loader answers the sync with B instead of AA\n"
    "  --truncate N        send only the first N bytes of every reply\n"
    "  --no-variant        leave the variant query unanswered\n"
    "  --frame-reply N:B   answer record frame N (counted from 1 after each 35) with B\n"
    "  --hang-up-after N   drop the line after taking N bytes, then exit\n"
    "  --stall-after N     after taking N bytes, hold the line: nothing the host\n"
    "                      writes goes out any more\n"
    "  --drop-writes       take settings writes in full but never store them\n"
    "\n"
    "  -h, --help          this text\n"
    "\n"
    "Numbers may be given in hex as 0x... SIGINT, SIGTERM and SIGHUP end ztsim and\n"
    "remove its link; SIGUSR1 switches the keyer off and on.\n";

enum Option {
    kCom = 1000,
    kReplace,
    kVariant,
    kMajor,
    kMinor,
    kMinorByte,
    kPot,
    kPb,
    kSupply,
    kBootLoaderOnly,
    kPace,
    kLog,
    kSettings,
    kProgram,
    kSilent,
    kEcho,
    kSync,
    kTruncate,
    kNoVariant,
    kFrameReply,
    kHangUpAfter,
    kStallAfter,
    kDropWrites,
};

[[noreturn]] void Usage(const std::string& complaint) {
    std::fprintf(stderr, "ztsim: %s\n(ztsim --help lists the options)\n", complaint.c_str());
    std::exit(2);
}

long Number(const char* text, long low, long high, const char* what) {
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(text, &end, 0);
    if (errno || end == text || *end || value < low || value > high)
        Usage(std::string(what) + " wants a number from " + std::to_string(low) + " to " +
              std::to_string(high) + ", not '" + text + "'");
    return value;
}

std::uint8_t Byte(const char* text, const char* what) {
    return static_cast<std::uint8_t>(Number(text, 0, 255, what));
}

std::uint8_t Variant(const char* text) {
    static const char* const kNames[] = {"SMT", "DIP", "AF", "MINI"};
    for (int i = 0; i < 4; ++i)
        if (strcasecmp(text, kNames[i]) == 0) return static_cast<std::uint8_t>(i + 1);
    return Byte(text, "--variant");
}

void ParseFrameReply(const char* text, zt::sim::Faults* faults) {
    std::string s = text;
    auto colon = s.find(':');
    if (colon == std::string::npos) Usage("--frame-reply wants N:B, e.g. 5:0x81");
    faults->frameFaultAt = int(Number(s.substr(0, colon).c_str(), 1, 100000, "--frame-reply N"));
    faults->frameFaultCode = Byte(s.substr(colon + 1).c_str(), "--frame-reply B");
}

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
    static const option kOptions[] = {
        {"com", required_argument, nullptr, kCom},
        {"replace", no_argument, nullptr, kReplace},
        {"variant", required_argument, nullptr, kVariant},
        {"major", required_argument, nullptr, kMajor},
        {"minor", required_argument, nullptr, kMinor},
        {"minor-byte", required_argument, nullptr, kMinorByte},
        {"pot", required_argument, nullptr, kPot},
        {"pb", required_argument, nullptr, kPb},
        {"supply", required_argument, nullptr, kSupply},
        {"boot-loader-only", no_argument, nullptr, kBootLoaderOnly},
        {"pace", no_argument, nullptr, kPace},
        {"log", required_argument, nullptr, kLog},
        {"settings", required_argument, nullptr, kSettings},
        {"program", required_argument, nullptr, kProgram},
        {"silent", no_argument, nullptr, kSilent},
        {"echo", required_argument, nullptr, kEcho},
        {"sync", required_argument, nullptr, kSync},
        {"truncate", required_argument, nullptr, kTruncate},
        {"no-variant", no_argument, nullptr, kNoVariant},
        {"frame-reply", required_argument, nullptr, kFrameReply},
        {"hang-up-after", required_argument, nullptr, kHangUpAfter},
        {"stall-after", required_argument, nullptr, kStallAfter},
        {"drop-writes", no_argument, nullptr, kDropWrites},
        {"help", no_argument, nullptr, 'h'},
        {nullptr, 0, nullptr, 0},
    };

    Config config;
    config.com = 1;
    opterr = 0;
    for (int c; (c = getopt_long(argc, argv, "h", kOptions, nullptr)) != -1;) {
        switch (c) {
            case kCom:
                config.com = int(Number(optarg, 0, 9999, "--com"));
                break;
            case kReplace:
                config.replaceLink = true;
                break;
            case kVariant:
                config.identity.variant = Variant(optarg);
                break;
            case kMajor:
                config.identity.major = Byte(optarg, "--major");
                break;
            case kMinor:
                config.identity.minor = Byte(optarg, "--minor");
                break;
            case kMinorByte:
                config.identity.minorByte = Byte(optarg, "--minor-byte");
                break;
            case kPot:
                config.identity.pot = Byte(optarg, "--pot");
                break;
            case kPb:
                config.identity.pushbutton = Byte(optarg, "--pb");
                break;
            case kSupply:
                config.identity.supply = Byte(optarg, "--supply");
                break;
            case kBootLoaderOnly:
                config.bootLoaderOnly = true;
                break;
            case kPace:
                config.pace = true;
                break;
            case kLog:
                config.logPath = optarg;
                break;
            case kSettings:
                config.settingsPath = optarg;
                break;
            case kProgram:
                config.programPath = optarg;
                break;
            case kSilent:
                config.faults.silent = true;
                break;
            case kEcho:
                config.faults.echoReply = Byte(optarg, "--echo");
                break;
            case kSync:
                config.faults.syncReply = Byte(optarg, "--sync");
                break;
            case kTruncate:
                config.faults.truncateReplies = int(Number(optarg, 0, 100000, "--truncate"));
                break;
            case kNoVariant:
                config.faults.noVariantReply = true;
                break;
            case kFrameReply:
                ParseFrameReply(optarg, &config.faults);
                break;
            case kHangUpAfter:
                config.faults.hangUpAfter = Number(optarg, 0, 1L << 30, "--hang-up-after");
                break;
            case kStallAfter:
                config.faults.stallAfter = Number(optarg, 0, 1L << 30, "--stall-after");
                break;
            case kDropWrites:
                config.faults.dropSettingsWrites = true;
                break;
            case 'h':
                std::fputs(kUsage, stdout);
                return 0;
            default:
                Usage(std::string("unknown or incomplete option '") + argv[optind - 1] + "'");
        }
    }
    if (optind < argc) Usage(std::string("unexpected argument '") + argv[optind] + "'");

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
