#include "cli/cli.h"

#include <CLI/CLI.hpp>
#include <functional>

#include "cli/commands.h"
#include "cli/port_choice.h"

namespace zt::cli {

namespace {

constexpr const char* kFooter = R"(Exit status:
  0  success
  1  the keyer refused or failed; the window's text says why
  2  bad usage or a bad file
  3  the port could not be opened

--port takes a COM number (mapped to a device as in the window) or a device
path such as /dev/ttyUSB0. Without it the COM port chosen in the window is used.)";

using Command = std::function<int(const Context&)>;

struct Builder {
    CLI::App& app;
    Options& opt;
    Command& chosen;

    CLI::App* Add(const char* name, const char* help, int (*command)(const Context&)) {
        CLI::App* sub = app.add_subcommand(name, help);
        sub->callback([this, command] { chosen = command; });
        return sub;
    }
    void File(CLI::App* sub, const char* help) {
        sub->add_option("FILE", opt.file, help)->required();
    }
    void Json(CLI::App* sub) { sub->add_flag("--json", opt.json, "machine-readable output"); }
};

void Define(Builder& b) {
    Options& opt = b.opt;
    b.Json(b.Add("ports", "list the COM ports 1 to 50 that are present, and their state",
                 PortsCommand));
    b.app.get_subcommand("ports")->add_flag(
        "--probe", opt.probe, "run detection on each free port: which one a keyer answers on");
    b.Json(b.Add("test", "detect the keyer and show its chip, firmware and readouts", TestCommand));
    b.File(b.Add("read", "save the keyer's settings to a settings file", ReadCommand),
           "settings file to write");
    CLI::App* write =
        b.Add("write", "write a settings file to the keyer and verify it", WriteCommand);
    b.File(write, "settings file to send (300 bytes, or 288 of the older layout)");
    write->add_flag("--no-verify", opt.noVerify, "leave out the read-back");
    CLI::App* show = b.Add("show", "print every setting of a settings file", ShowCommand);
    b.File(show, "settings file");
    b.Json(show);
    CLI::App* set = b.Add("set", "change settings of a settings file by name", SetCommand);
    b.File(set, "settings file to change");
    set->add_option("FIELD=VALUE", opt.assignments, "names as `show` prints them; msg1..msg14")
        ->required();
    CLI::App* apply =
        b.Add("apply", "set the settings a JSON document names, as show --json prints them",
              ApplyCommand);
    b.File(apply, "settings file to change");
    apply->add_option("SETTINGS", opt.other, "JSON document, all or part of show's; - reads it")
        ->required();
    CLI::App* diff = b.Add("diff", "list the settings that differ between two", DiffCommand);
    diff->add_option("A", opt.file, "settings file, or keyer for the keyer's on --port")
        ->required();
    diff->add_option("B", opt.other, "settings file, or keyer")->required();
    b.File(b.Add("hexinfo", "identify a firmware image file", HexInfoCommand),
           "firmware image (Intel HEX)");
    CLI::App* upload = b.Add("upload", "load a firmware image into the keyer", UploadCommand);
    b.File(upload, "firmware image (Intel HEX)");
    upload->add_flag("--verbose", opt.verbose, "print a line per frame");
    upload->add_option("--backup", opt.backup,
                       "first save the keyer's settings to this settings file; nothing is "
                       "programmed if that fails")
        ->type_name("SETTINGS");
}

}  // namespace

int RunCli(int argc, const char* const* argv, Streams io) {
    Options opt;
    Command chosen;
    CLI::App app{"ztcli: the Zentor 3 keyer's settings and firmware from the command line",
                 "ztcli"};
    app.footer(kFooter);
    app.require_subcommand(1);
    app.fallthrough();
    app.add_option("--port", opt.port, "COM number (7, COM7), device path, or auto")
        ->check(PortOptionProblem);
    app.add_flag("-q,--quiet", opt.quiet, "no progress and no informational lines");
    Builder builder{app, opt, chosen};
    Define(builder);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e, io.out, io.err);
        return code == 0 ? kExitOk : kExitUsage;
    }
    return chosen(Context{io, opt});
}

}  // namespace zt::cli
