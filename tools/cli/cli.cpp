#include "cli/cli.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>

#include "cli/commands.h"
#include "cli/nearest.h"
#include "cli/port_choice.h"
#include "version/version.h"

namespace zt::cli {

namespace {

// What each exit status means: the general help lists them all, each
// command's help those it can end with. diff's own meaning, where it has one,
// is the second text.
struct ExitMeaning {
    int status;
    const char* text;      // for every command but diff; none: diff's alone
    const char* diffText;  // none: the same as text
};
constexpr ExitMeaning kExitMeanings[] = {
    {kExitOk, "success", nullptr},
    {kExitKeyer, "the keyer refused or failed; the window's text says why", "some settings differ"},
    {kExitUsage, "bad usage, a bad file, or output that could not be written", nullptr},
    {kExitPort, "the port could not be opened", nullptr},
    {kExitDiffKeyer, nullptr, "the keyer refused or failed; the window's text says why"},
};

// The statuses a command can end with, one bit each.
using Statuses = unsigned;
constexpr Statuses Only(int status) {
    return 1u << status;
}
// Output that cannot be written fails any command with kExitUsage.
constexpr Statuses kOnFiles = Only(kExitOk) | Only(kExitUsage);
constexpr Statuses kOnKeyer = kOnFiles | Only(kExitKeyer) | Only(kExitPort);
constexpr Statuses kOnDiff = kOnKeyer | Only(kExitDiffKeyer);
constexpr Statuses kAll = kOnDiff;

enum class Listed { Command, Diff, All };

std::string ExitText(Statuses statuses, Listed listed = Listed::Command) {
    std::string text = "Exit status:";
    for (const ExitMeaning& m : kExitMeanings) {
        if (!(statuses & Only(m.status))) continue;
        std::string meaning = m.text ? m.text : "";
        if (listed == Listed::Diff && m.diffText) meaning = m.diffText;
        if (listed == Listed::All && m.diffText)
            meaning += (meaning.empty() ? "diff: " : "; for diff: ") + std::string(m.diffText);
        text += "\n  " + std::to_string(m.status) + "  " + meaning;
    }
    return text;
}

// Left empty, upload would program with no backup at all; "-" would put the
// settings bytes on standard output, a terminal too.
std::string BackupOptionProblem(const std::string& value) {
    if (value.empty()) return "an empty name names no file; the keyer would lose its settings";
    if (value == "-") return "the backup goes to a settings file, never to standard output (-)";
    return {};
}

constexpr const char* kPortText =
#ifdef _WIN32
    R"(--port takes a COM number, as Device Manager lists the ports, or a device
path such as \\.\COM7. Without it the COM port chosen in the window is used.
A list (3,4,7) or all runs test, read, write, diff and upload on several
keyers at once; a file that differs per keyer takes {com} or {chip} in its
name (read keyer-{com}.eep). `ztcli help COMMAND` shows what a command takes.)";
#else
    R"(--port takes a COM number (mapped to a device as in the window) or a device
path such as /dev/ttyUSB0. Without it the COM port chosen in the window is used.
A list (3,4,7) or all runs test, read, write, diff and upload on several
keyers at once; a file that differs per keyer takes {com} or {chip} in its
name (read keyer-{com}.eep). `ztcli help COMMAND` shows what a command takes.)";
#endif

using Command = std::function<int(const Context&)>;

constexpr const char* kJsonRecords = "a JSON record per port, instead of the summary table";

struct Builder {
    CLI::App& app;
    Options& opt;
    Command& chosen;
    std::string globals;  // the global options as each command's help lists them

    CLI::App* Add(const char* name, const char* help, Command command, Statuses statuses) {
        CLI::App* sub = app.add_subcommand(name, help);
        sub->group("Commands");
        sub->allow_extras();  // Run names what is left over
        sub->callback([this, command] { chosen = command; });
        sub->footer(
            globals + "\n" +
            ExitText(statuses, statuses & Only(kExitDiffKeyer) ? Listed::Diff : Listed::Command));
        return sub;
    }
    void File(CLI::App* sub, const char* help) {
        sub->add_option("FILE", opt.file, help)->required()->type_name("");
    }
    void Json(CLI::App* sub, const char* help = "machine-readable output") {
        sub->add_flag("--json", opt.json, help);
    }
};

// "ports, test, ...": every command's name.
std::string CommandNames(const CLI::App& app) {
    std::string names;
    for (const CLI::App* sub : app.get_subcommands({}))
        names += (names.empty() ? "" : ", ") + sub->get_name();
    return names;
}

// A word where a command belongs that names none: the one it likely meant,
// and the commands there are.
std::string NoCommandText(const CLI::App& app, const std::string& word) {
    std::vector<std::string> names;
    for (const CLI::App* sub : app.get_subcommands({})) names.push_back(sub->get_name());
    const std::string nearest = NearestName(word, names);
    return "no command '" + word + "'; " +
           (nearest.empty() ? "the commands are "
                            : "did you mean " + nearest + "? The commands are ") +
           CommandNames(app);
}

// ztcli help [COMMAND]: the general help, or that command's.
int HelpCommand(const Context& c, const CLI::App& app) {
    if (c.opt.file.empty()) {
        c.io.out << app.get_formatter()->make_help(&app, app.get_name(),
                                                   CLI::AppFormatMode::Normal);
        return kExitOk;
    }
    for (const CLI::App* sub : app.get_subcommands({}))
        if (sub->get_name() == c.opt.file) {
            c.io.out << sub->help(app.get_name());
            return kExitOk;
        }
    return c.Fail(kExitUsage, NoCommandText(app, c.opt.file));
}

void Define(Builder& b) {
    Options& opt = b.opt;
    b.Json(b.Add("ports", "list the COM ports 1 to 50 that are present, and their state",
                 PortsCommand, kOnFiles));
    b.app.get_subcommand("ports")->add_flag(
        "--probe", opt.probe,
        "run detection on each free port (or those --port names): which one a keyer answers on");
    b.Add("port", "show the COM port used without --port, here and in the window, or choose it",
          PortCommand, kOnKeyer)
        ->add_option("PORT", opt.file,
                     "COM number (3, COM3) to use from now on, or auto: the one a keyer answers on")
        ->type_name("")
        ->check(PortOptionProblem);
    b.Json(b.Add("test", "detect the keyer and show its chip, firmware and readouts", TestCommand,
                 kOnKeyer));
    CLI::App* read =
        b.Add("read", "save the keyer's settings to a settings file", ReadCommand, kOnKeyer);
    b.File(read,
           "settings file to write; - writes the 300 bytes to standard output; on several "
           "ports a name with {com} or {chip}");
    b.Json(read, kJsonRecords);
    CLI::App* write =
        b.Add("write", "write a settings file to the keyer and verify it", WriteCommand, kOnKeyer);
    b.File(write,
           "settings file to send (300 bytes, or 288 of the older layout); - reads standard input");
    write->add_flag("--no-verify", opt.noVerify, "leave out the read-back");
    b.Json(write, kJsonRecords);
    CLI::App* show = b.Add("show", "print every setting of a settings file", ShowCommand, kOnFiles);
    b.File(show, "settings file; - reads standard input");
    b.Json(show);
    CLI::App* set =
        b.Add("set", "change settings of a settings file by name", SetCommand, kOnFiles);
    b.File(set, "settings file to change");
    set->add_option("FIELD=VALUE", opt.assignments, "names as `show` prints them; msg1..msg14")
        ->required()
        ->type_name("");
    CLI::App* apply =
        b.Add("apply", "set the settings a JSON document names, as show --json prints them",
              ApplyCommand, kOnFiles);
    b.File(apply, "settings file to change");
    apply->add_option("SETTINGS", opt.other, "JSON document, all or part of show's; - reads it")
        ->required()
        ->type_name("");
    CLI::App* diff =
        b.Add("diff", "list the settings that differ between two", DiffCommand, kOnDiff);
    diff->add_option("A", opt.file,
                     "settings file, - for standard input, or keyer for the "
                     "keyer's on --port")
        ->required()
        ->type_name("");
    diff->add_option("B", opt.other, "settings file, -, or keyer")->required()->type_name("");
    b.Json(diff, kJsonRecords);
    b.File(b.Add("hexinfo", "identify a firmware image file", HexInfoCommand, kOnFiles),
           "firmware image (Intel HEX)");
    CLI::App* upload =
        b.Add("upload", "load a firmware image into the keyer", UploadCommand, kOnKeyer);
    upload->footer(upload->get_footer() +
                   "\n  130  stopped by Ctrl+C, once the frame on the line was done");
    b.File(upload, "firmware image (Intel HEX)");
    upload->add_flag("--verbose", opt.verbose, "print a line per frame");
    upload
        ->add_option("--backup", opt.backup,
                     "first save the keyer's settings to this settings file; nothing is "
                     "programmed if that fails; on several ports a name with {com}")
        ->type_name("SETTINGS")
        ->check(BackupOptionProblem);
    b.Json(upload, kJsonRecords);
    const CLI::App* app = &b.app;
    b.Add(
         "help", "show the commands, or what one command takes",
         [app](const Context& c) { return HelpCommand(c, *app); }, kOnFiles)
        ->add_option("COMMAND", opt.file, "the command to tell about")
        ->type_name("");
}

// "Global options, ...": --port and --quiet as the general help shows them.
std::string GlobalOptions(const CLI::App& app) {
    const std::size_t width = app.get_formatter()->get_column_width() - 2;
    std::string text = "Global options, before or after the command:\n";
    for (const char* name : {"--port", "--quiet"}) {
        const CLI::Option* o = app.get_option(name);
        std::string names = o->get_name(false, true);
        if (o->get_type_size() != 0) names += " " + o->get_type_name();
        names.resize(std::max(width, names.size() + 1), ' ');
        text += "  " + names + o->get_description() + "\n";
    }
    return text;
}

// What was printed has reached standard output, or the command fails saying
// so; a command that failed already has said why, and keeps its status.
int Delivered(const Streams& io, int status) {
    const bool lost = !io.out.good();
    io.out.clear();
    errno = 0;
    const bool flushed = static_cast<bool>(io.out.flush());
    if (!lost && flushed) return status;
    const int error = errno;
    if (status != kExitOk) return status;
    io.err << "ztcli: standard output could not be written ("
           << (error ? std::strerror(error) : "a closed pipe or a full disk") << ")\n";
    return kExitUsage;
}

// The command the words named, or the program itself: whose usage a
// failure of the words shows.
const CLI::App& NamedCommand(const CLI::App& app) {
    const std::vector<CLI::App*> named = app.get_subcommands();
    return named.empty() ? app : *named.back();
}

// The options that may stand here: the global ones and the command's.
std::vector<std::string> OptionNames(const CLI::App& command) {
    std::vector<std::string> names;
    for (const CLI::App* a = &command; a; a = a->get_parent())
        for (const CLI::Option* o : a->get_options())
            for (const std::string& name : o->get_lnames()) names.push_back("--" + name);
    return names;
}

// Why a word left over has no place: an option no command has, an option of
// the command given before it, a word too many, or no command where the
// command belongs (before it, or with none given).
std::string LeftOverText(const CLI::App& app, const std::string& word,
                         const std::vector<std::string>& words) {
    const CLI::App& named = NamedCommand(app);
    if (word.rfind('-', 0) != 0) {
        const auto at = [&words](const std::string& w) {
            return std::find(words.begin(), words.end(), w) - words.begin();
        };
        if (&named == &app || at(word) < at(named.get_name())) return NoCommandText(app, word);
        return named.get_name() + " takes no '" + word + "'";
    }
    const std::string option = word.substr(0, word.find('='));
    const std::vector<std::string> here = OptionNames(named);
    if (std::find(here.begin(), here.end(), option) != here.end())
        return option + " belongs after the command (ztcli " + named.get_name() + " " + option +
               ")";
    const std::string nearest = NearestName(option, here);
    return "no option " + option + (nearest.empty() ? "" : "; did you mean " + nearest + "?");
}

// CLI11's words for a parse failure, or ours where its own read oddly.
std::string ParseFailureText(const CLI::ParseError& e) {
    const std::string what = e.what();
    // "--port: 1 required N|PATH|auto missing": every option takes one value.
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&e) &&
        what.find(" missing") != std::string::npos)
        return what.substr(0, what.find(':')) + " needs a value";
    return what;
}

// A failure of the words themselves, as ztcli's other errors read, then the
// usage of the command they named.
int UsageFailure(const Streams& io, const CLI::App& app, const std::string& text) {
    const CLI::App& named = NamedCommand(app);
    const std::string name = &named == &app ? "" : " " + named.get_name();
    // CLI11's own formatter, which every command shares.
    const auto& formatter = static_cast<const CLI::Formatter&>(*app.get_formatter());
    std::string usage = formatter.make_usage(&named, "ztcli" + name);
    while (!usage.empty() && usage.back() == '\n') usage.pop_back();
    io.err << "ztcli: " << text << '\n' << usage << "  (ztcli help" << name << " tells more)\n";
    return kExitUsage;
}

int Run(int argc, const char* const* argv, const Streams& io, const KeyerWaits& waits) {
    Options opt;
    Command chosen;
    CLI::App app{"ztcli: the Zentor 3 keyer's settings and firmware from the command line",
                 "ztcli"};
    app.footer(ExitText(kAll, Listed::All) + "\n" + kPortText);
    app.require_subcommand(0, 1);
    app.fallthrough();
    // Usage lines as a reader says them: "ztcli read [OPTIONS] FILE".
    app.get_formatter()->label("SUBCOMMAND", "COMMAND");
    app.get_formatter()->label("Positionals", "Arguments");
    app.get_formatter()->label("REQUIRED", "");
    app.set_version_flag("--version", VersionText("ztcli"),
                         "the version, the build stamp and the licence");
    app.add_option("--port", opt.port,
                   "COM number (7, COM7), device path, or auto; a list (3,4,7) or all: "
                   "several keyers at once")
        ->type_name("N|PATH|auto|LIST|all")
        ->check(PortOptionProblem);
    app.add_flag("-q,--quiet", opt.quiet, "no progress and no informational lines");
    Builder builder{app, opt, chosen, GlobalOptions(app)};
    Define(builder);
    // What is left over is looked at below: an unknown command is named.
    app.allow_extras();
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // Help and --version end here too, as successes.
        if (e.get_exit_code() == 0) return app.exit(e, io.out, io.err);
        return UsageFailure(io, app, ParseFailureText(e));
    }
    const std::vector<std::string> extra = app.remaining(true);
    if (!extra.empty())
        return UsageFailure(io, app, LeftOverText(app, extra[0], {argv + 1, argv + argc}));
    if (!chosen)
        return UsageFailure(io, app, "a command is needed; the commands are " + CommandNames(app));
    return chosen(Context{io, opt, waits});
}

}  // namespace

int RunCli(int argc, const char* const* argv, Streams io, const KeyerWaits& waits) {
    return Delivered(io, Run(argc, argv, io, waits));
}

}  // namespace zt::cli
