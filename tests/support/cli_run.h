#pragma once
// ztcli run in this process on a virtual keyer's ports, and the files its
// tests hand it.

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "firmware/hex_records.h"
#include "settings/image.h"
#include "sim/simulator.h"
#include "support/core_fixture.h"

namespace zt::testing {

struct CliOutcome {
    int status;
    std::string out, err;
};

// input is what reads from "-"; errColumns the terminal's width, 0 unknown.
inline CliOutcome RunZtcli(std::vector<std::string> args, bool terminal = false,
                           const std::string& input = "", int errColumns = 0) {
    args.insert(args.begin(), "ztcli");
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    std::ostringstream out, err;
    std::istringstream in(input);
    cli::Streams io{out, err, terminal, &in};
    io.errColumns = errColumns;
    const int status =
        cli::RunCli(static_cast<int>(argv.size()), argv.data(), io, testing::ShortWaits());
    return {status, out.str(), err.str()};
}

// An image for family, version 31, with words at 0x20 too; its path.
inline std::string FirmwareFile(const std::string& path, int family) {
    std::ofstream(path) << Record(0, 0, {0, 0, 0, 0, 0, 0, 31, std::uint8_t(family)}) << "\n"
                        << Record(0, 0x40, {1, 2, 3, 4}) << "\n"
                        << kEndRecord << "\n";
    return path;
}

inline sim::SettingsBytes ToSim(const SettingsImage& image) {
    sim::SettingsBytes bytes;
    std::copy(image.begin(), image.end(), bytes.begin());
    return bytes;
}

}  // namespace zt::testing
