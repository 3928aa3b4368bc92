#include "sim/options.h"

#include <strings.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstdlib>
#include <functional>
#include <string>

#include "version/version.h"

namespace zt::sim {

namespace {

constexpr const char* kDescription = "A virtual Zentor 3 keyer on a pseudo-terminal.";
constexpr const char* kFooter =
    "Numbers may be given in hex as 0x... SIGINT, SIGTERM and SIGHUP end ztsim and\n"
    "remove its link; SIGUSR1 switches the keyer off and on.";

// The usage line first, then what ztsim is, then the options by group, one
// blank line apart.
class Formatter : public CLI::Formatter {
  public:
    Formatter() { column_width(22); }
    std::string make_help(const CLI::App* app, std::string, CLI::AppFormatMode) const override {
        std::string help = std::string("Usage: ztsim [options]\n") + kDescription + "\n";
        for (const std::string& group : app->get_groups())
            help += make_group(group, false, app->get_options([&group](const CLI::Option* o) {
                return o->get_group() == group;
            }));
        return help + "\n" + make_footer(app);
    }
};

long Number(const std::string& text, long low, long high, const std::string& what) {
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 0);
    if (errno || end == text.c_str() || *end || value < low || value > high)
        throw CLI::ValidationError(what + " wants a number from " + std::to_string(low) + " to " +
                                   std::to_string(high) + ", not '" + text + "'");
    return value;
}

std::uint8_t Byte(const std::string& text, const std::string& what) {
    return static_cast<std::uint8_t>(Number(text, 0, 255, what));
}

std::uint8_t Variant(const std::string& text) {
    static const char* const kNames[] = {"SMT", "DIP", "AF", "MINI"};
    for (int i = 0; i < 4; ++i)
        if (strcasecmp(text.c_str(), kNames[i]) == 0) return static_cast<std::uint8_t>(i + 1);
    return Byte(text, "--variant");
}

void FrameReply(const std::string& text, Faults* faults) {
    const auto colon = text.find(':');
    if (colon == std::string::npos)
        throw CLI::ValidationError("--frame-reply wants N:B, e.g. 5:0x81");
    faults->frameFaultAt = int(Number(text.substr(0, colon), 1, 100000, "--frame-reply N"));
    faults->frameFaultCode = Byte(text.substr(colon + 1), "--frame-reply B");
}

// An option with a value, which take converts and stores.
CLI::Option* Valued(CLI::App& app, const std::string& name, const char* type,
                    std::function<void(const std::string&)> take, const std::string& help) {
    return app.add_option_function<std::string>(name, std::move(take), help)->type_name(type);
}

// An option that takes a number from low to high.
template <typename T>
CLI::Option* Counted(CLI::App& app, const std::string& name, T& field, long low, long high,
                     const std::string& help) {
    return Valued(
        app, name, "N",
        [&field, name, low, high](const std::string& s) {
            field = static_cast<T>(Number(s, low, high, name));
        },
        help);
}

// An option that takes a byte, 0 to 255, as a reading (N) or as it is sent (B).
template <typename T>
CLI::Option* Byted(CLI::App& app, const std::string& name, const char* type, T& field,
                   const std::string& help) {
    return Valued(
        app, name, type, [&field, name](const std::string& s) { field = Byte(s, name); }, help);
}

void Define(CLI::App& app, Config& c) {
    Identity& id = c.identity;
    Counted(app, "--com", c.com, 0, 9999,
            "link the keyer as comN in the ports directory (default 1;\n0 makes no link)");
    app.add_flag("--replace", c.replaceLink, "take comN over even from a port that is present");
    Valued(
        app, "--variant", "V", [&id](const std::string& s) { id.variant = Variant(s); },
        "SMT, DIP, AF, MINI or a number 0-255 (default SMT)");
    Byted(app, "--major", "N", id.major, "major firmware revision (default 31)");
    Byted(app, "--minor", "N", id.minor,
          "minor revision; the variant's offset is added on the wire\n(default 5)");
    Byted(app, "--minor-byte", "B", id.minorByte, "send B as the minor byte, as it is");
    Byted(app, "--pot", "N", id.pot, "speed-pot reading (default 128)");
    Byted(app, "--pb", "N", id.pushbutton, "push-button reading (default 255)");
    Byted(app, "--supply", "N", id.supply, "supply reading (default 52, which is 5.04 V)");
    app.add_flag("--boot-loader-only", c.bootLoaderOnly,
                 "no firmware: only the boot loader answers (echo AA)");
    app.add_flag("--pace", c.pace,
                 "take and send bytes at the line rate (1200 or 9600 baud);\n"
                 "a host that writes faster is held back, as by a UART");
    app.add_option("--log", c.logPath, "hex log of all traffic; - for stderr")->type_name("FILE");
    app.add_option("--settings", c.settingsPath,
                   "stored settings (300 bytes): read at start when FILE\n"
                   "exists, written on every change and at exit")
        ->type_name("FILE");
    app.add_option("--program", c.programPath,
                   "program memory (8192 words, low byte first): read at start\n"
                   "when FILE exists, written at every restart and at exit")
        ->type_name("FILE");

    Faults& f = c.faults;
    app.add_flag("--silent", f.silent, "take everything, answer nothing")->group("Faults");
    Byted(app, "--echo", "B", f.echoReply, "answer the firmware's echo test with B")
        ->group("Faults");
    Byted(app, "--sync", "B", f.syncReply, "the boot loader answers the sync with B instead of AA")
        ->group("Faults");
    Counted(app, "--truncate", f.truncateReplies, 0, 100000,
            "send only the first N bytes of every reply")
        ->group("Faults");
    app.add_flag("--no-variant", f.noVariantReply, "leave the variant query unanswered")
        ->group("Faults");
    Valued(
        app, "--frame-reply", "N:B", [&f](const std::string& s) { FrameReply(s, &f); },
        "answer record frame N (counted from 1 after each 35) with B")
        ->group("Faults");
    Counted(app, "--hang-up-after", f.hangUpAfter, 0, 1L << 30,
            "drop the line after taking N bytes, then exit")
        ->group("Faults");
    Counted(app, "--stall-after", f.stallAfter, 0, 1L << 30,
            "after taking N bytes, hold the line: nothing the host\nwrites goes out any more")
        ->group("Faults");
    app.add_flag("--drop-writes", f.dropSettingsWrites,
                 "take settings writes in full but never store them")
        ->group("Faults");
}

}  // namespace

int ParseOptions(int argc, const char* const* argv, Config* config, std::ostream& out,
                 std::ostream& err) {
    config->com = 1;
    CLI::App app{kDescription, "ztsim"};
    app.formatter(std::make_shared<Formatter>());
    app.footer(kFooter);
    // As getopt did: an option given twice takes its last value.
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    Define(app, *config);
    app.set_help_flag("-h,--help", "this text");
    app.set_version_flag("--version", zt::VersionText("ztsim"),
                         "the version, the build stamp and the licence");
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        out << app.help();
        return 0;
    } catch (const CLI::CallForVersion& e) {
        out << e.what() << '\n';
        return 0;
    } catch (const CLI::ParseError& e) {
        err << "ztsim: " << e.what() << "\n(ztsim --help lists the options)\n";
        return 2;
    }
    return -1;
}

}  // namespace zt::sim
