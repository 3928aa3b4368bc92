#include "cli/port_choice.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>

#include "cli/json.h"
#include "common/config_file.h"
#include "link/port_list.h"
#include "system/paths.h"

namespace zt::cli {

const char* const kRecoveryHint =
    "its firmware is gone, as after an interrupted upload: programming it again (FW Update in "
    "the window, or ztcli upload FILE) recovers it";
const char* const kUploadCutHint =
    "the upload stopped partway, and the keyer is left with its boot loader alone: if it answers "
    "nothing (the boot loader may still listen at 9600 baud), switch the keyer off and on, and "
    "it reports \"No O/S\"; programming it again (FW Update in the window, or ztcli upload FILE) "
    "recovers it";

const char* const kSilentHint =
#ifdef _WIN32
    "hint: check the keyer's power and its cable, and that it is on this port (ztcli ports "
    "--probe tries every port; Device Manager lists them under \"Ports (COM & LPT)\"); after an "
    "interrupted upload, switch the keyer off and on";
#else
    "hint: check the keyer's power and its cable, that it is on this port (ztcli ports --probe "
    "tries every port; the guide's \"COM numbers\"), and that ModemManager is not probing the "
    "port (the guide's \"When a USB serial adapter is taken by another program\"); after an "
    "interrupted upload, switch the keyer off and on";
#endif

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    return text;
}

bool IsAuto(const std::string& value) {
    return Lower(value) == "auto";
}

// The number in "7", "COM7" or "com7", blanks around it left out; none for
// anything else, which is a device path. A number of more than two digits, or
// one with a minus sign, is out of range whatever it is.
std::optional<int> ComNumber(const std::string& value) {
    const std::size_t first = value.find_first_not_of(" \t");
    if (first == std::string::npos) return std::nullopt;
    std::string digits = value.substr(first, value.find_last_not_of(" \t") + 1 - first);
    if (digits.size() > 3 && Lower(digits.substr(0, 3)) == "com") digits.erase(0, 3);
    const bool negative = digits.size() > 1 && digits[0] == '-';
    if (negative) digits.erase(0, 1);
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size() - 1));
    if (negative) return -1;
    return digits.size() > 2 ? kHighestComPort + 1 : std::stoi(digits);
}

// The parts of a list such as "3,4" or "COM3, COM4".
std::vector<std::string> ListParts(const std::string& value) {
    std::vector<std::string> parts;
    for (std::size_t from = 0; from <= value.size();) {
        const std::size_t comma = std::min(value.find(',', from), value.size());
        parts.push_back(value.substr(from, comma - from));
        from = comma + 1;
    }
    return parts;
}

// Whether every part of the list is a COM number.
bool IsComNumberList(const std::string& value) {
    const std::vector<std::string> parts = ListParts(value);
    return std::all_of(parts.begin(), parts.end(),
                       [](const std::string& part) { return ComNumber(part).has_value(); });
}

std::string Com(int number) {
    return "COM" + std::to_string(number);
}

std::string Named(const PortEntry& p) {
    return Com(p.number) + " (" + p.device + ")";
}

void Hints(const Context& c, const std::vector<std::string>& hints) {
    for (const std::string& hint : hints) c.io.err << "ztcli: " << hint << '\n';
}

std::string Joined(const std::vector<std::string>& parts) {
    std::string text;
    for (std::size_t i = 0; i < parts.size(); ++i)
        text += (i == 0 ? "" : i + 1 == parts.size() ? " and " : ", ") + parts[i];
    return text;
}

// How to give a device a COM number (com 0: no number was given), or name
// the port otherwise.
std::string MappingHint(int com) {
    const std::string others = "--port takes a COM number, a device path, or auto";
#ifdef _WIN32
    return com > 0 ? "COM numbers are the system's own (Device Manager lists them under Ports); " +
                         others
                   : others;
#else
    const std::string dir = PortsDir();
    if (com <= 0 || dir.empty()) return others;
    const std::string n = std::to_string(com);
    return "to map COM" + n + " to a device, link it: ln -s /dev/ttyUSB0 " + dir + "/com" + n +
           "; or give --port the device's path";
#endif
}

// The ports that are present, as `ztcli ports` lists them, and how to map one.
// A port of a batch lists none: listing opens every free port, which may be
// the very one another port of the batch is opening.
std::vector<std::string> PresentPortsHints(const Context& c, int com) {
    if (c.onePortOfMany)
        return {
            "ztcli ports lists the ports present, and ztcli ports --probe finds the keyers "
            "among them",
            MappingHint(com)};
    std::vector<std::string> listed;
    for (const PortEntry& p : ListPorts())
        listed.push_back(Com(p.number) + " " + p.device + " (" + PortStateName(p.state) + ")");
    std::string present =
        listed.empty()
            ? "no serial ports are present"
            : "the ports present: " + Joined(listed) +
                  "; ztcli ports --probe finds the keyer among them, --port auto uses it";
    return {present, MappingHint(com)};
}

// The port's text without the path the origin names already.
std::string WithoutGivenPath(const PortChoice& where, const std::string& text) {
    const std::string lead = where.target.device + ": ";
    return !where.target.device.empty() && text.rfind(lead, 0) == 0 ? text.substr(lead.size())
                                                                    : text;
}

int OpenFailure(const Context& c, const PortChoice& where, const Detection& d) {
    switch (d.open) {
        case PortOpen::Missing: {
            const std::string text = where.device.empty() ? d.portError
                                     : where.target.device.empty()
                                         ? DeviceName(where.device) + ": no such device"
                                         : "no such device";
            return PortFail(c, where, kExitPort, text, PresentPortsHints(c, where.target.com));
        }
        case PortOpen::Busy:
        case PortOpen::Denied:
        case PortOpen::NotSerial:
            return PortFail(c, where, kExitPort, WithoutGivenPath(where, d.portError));
        default:
            // Opened, but it would not take the keyer's line settings.
            return PortFail(c, where, kExitPort, d.linkStatus + ": " + d.portError);
    }
}

// --port auto: the one port on which a keyer answers.
int FindKeyer(const Context& c, PortChoice& choice) {
    const std::vector<ProbedPort> probed = ProbePorts(ListPorts(), c.waits.detection);
    std::vector<std::string> keyers, tried, untried;
    const PortEntry* found = nullptr;
    for (const ProbedPort& p : probed) {
        if (p.KeyerAnswered()) {
            keyers.push_back(Named(p.port));
            found = &p.port;
        }
        (p.detection ? tried : untried).push_back(Named(p.port) + ": " + ProbeSummary(p));
    }
    if (keyers.size() > 1)
        return c.Fail(kExitUsage,
                      "--port auto: keyers answer on " + Joined(keyers) + "; name one with --port");
    if (found) {
        choice.target = {found->number, {}};
        choice.device = found->device;
        choice.origin = Com(found->number) + ", found by --port auto";
        // Beside the errors, so that it never mixes with what a command prints.
        if (!c.opt.quiet)
            c.io.err << "ztcli: --port auto: the keyer answers on " << Named(*found) << '\n';
        return kExitOk;
    }
    if (tried.empty()) {
        c.Fail(kExitPort,
               "--port auto: " + (untried.empty() ? std::string("no serial ports are present")
                                                  : "no port could be tried: " + Joined(untried)));
        Hints(c, {MappingHint(0)});
        return kExitPort;
    }
    c.Fail(kExitKeyer, "--port auto: no keyer answered: " + Joined(tried));
    Hints(c, {kSilentHint});
    return kExitKeyer;
}

bool IsAll(const std::string& value) {
    return Lower(value) == "all";
}

// One port as --port names it (given), from the words origin.
PortChoice Given(const std::string& given, const std::string& origin) {
    PortChoice choice;
    if (const std::optional<int> com = ComNumber(given)) {
        choice.target = {*com, {}};
        choice.origin = Com(*com) + ", from --port " + origin;
        choice.device = ComDevicePath(*com);
    } else {
        choice.target = {0, given};
        choice.origin = given + ", from --port" + (given == origin ? "" : " " + origin);
        choice.device = given;
    }
    return choice;
}

// Why one part of a --port list names no port; empty when it names one.
std::string ListPartProblem(const std::string& part) {
    if (part.find_first_not_of(" \t") == std::string::npos) return "an empty part names no port";
    if (IsAuto(part) || IsAll(part))
        return "auto and all stand alone (--port auto: the one keyer; --port all: every one)";
    return PortOptionProblem(part);
}

// Where a device leads, so that a COM number and the path of its link count
// as one port. Windows names a port one way only (\\.\COMn), in any case.
std::string SameDevice(const std::string& device) {
#ifdef _WIN32
    return Lower(device);
#else
    std::error_code error;
    const std::filesystem::path real = std::filesystem::weakly_canonical(device, error);
    return error ? device : real.string();
#endif
}

// --port all: every port present and free; the others are named as skipped.
int AllPorts(const Context& c, PortSet& set) {
    set.all = true;
    const std::vector<PortEntry> present = ListPorts();
    for (const PortEntry& p : present) {
        if (p.state != ProbeResult::Present) {
            set.skipped.push_back(p);
            continue;
        }
        set.ports.push_back({{p.number, {}}, p.device, Com(p.number) + ", found by --port all"});
    }
    if (!set.ports.empty()) return kExitOk;
    std::vector<std::string> untried;
    for (const PortEntry& p : present) untried.push_back(Named(p) + ": not tried: " + p.note);
    c.Fail(kExitPort,
           "--port all: " + (untried.empty() ? std::string("no serial ports are present")
                                             : "no port could be tried: " + Joined(untried)));
    Hints(c, {MappingHint(0)});
    return kExitPort;
}

}  // namespace

std::string PortOptionProblem(const std::string& value) {
    // Left empty, it would fall back on the configured port unasked.
    if (value.empty()) return "an empty port names no port";
    const std::optional<int> com = ComNumber(value);
    if (com && (*com < 1 || *com > kHighestComPort))
        return "COM numbers go from 1 to " + std::to_string(kHighestComPort) + ", not " + value;
    return {};
}

int ChoosePort(const Context& c, PortChoice& choice) {
    const std::string& given = c.opt.port;
    if (IsAuto(given)) return FindKeyer(c, choice);
    if (IsAll(given) || (given.find(',') != std::string::npos && IsComNumberList(given)))
        return c.Fail(kExitUsage, given + " names several ports; this command uses one");
    if (given.empty()) {
        choice.target = {ConfiguredComPort(c, choice.origin), {}};
        choice.device = ComDevicePath(choice.target.com);
        return kExitOk;
    }
    choice = Given(given, given);
    return kExitOk;
}

std::string PortName(const PortChoice& where) {
    return where.target.device.empty() ? Com(where.target.com) : where.target.device;
}

bool SeveralPorts(const Context& c) {
    return IsAll(c.opt.port) || c.opt.port.find(',') != std::string::npos;
}

int ChoosePorts(const Context& c, PortSet& set) {
    if (IsAll(c.opt.port)) return AllPorts(c, set);
    if (!SeveralPorts(c)) {
        set.ports.emplace_back();
        return ChoosePort(c, set.ports.back());
    }
    std::vector<std::string> devices;  // each once
    for (const std::string& part : ListParts(c.opt.port)) {
        if (const std::string problem = ListPartProblem(part); !problem.empty())
            return c.Fail(kExitUsage, "--port " + c.opt.port + ": " + problem);
        const PortChoice choice = Given(part, c.opt.port);
        const std::string device = SameDevice(choice.device);
        if (std::find(devices.begin(), devices.end(), device) != devices.end()) continue;
        devices.push_back(device);
        set.ports.push_back(choice);
    }
    return kExitOk;
}

std::string DeviceName(const std::string& path) {
    std::error_code error;
    const std::filesystem::path target = std::filesystem::read_symlink(path, error);
    return error ? path : path + " (a link to " + target.string() + ")";
}

int ConfiguredComPort(const Context& c, std::string& origin) {
    const std::string path = DesktopConfigFileName();
    if (path.empty() || !std::filesystem::exists(path)) {
        origin = "COM1, the window's first port (no configuration file" +
                 (path.empty() ? std::string() : " at " + path) + ")";
        return 1;
    }
    const ComPortSetting setting = LoadComPortSetting(path);
    if (const char* problem = ConfigStatusText(setting.status))
        c.io.err << "ztcli: " << path << ": " << problem << '\n';
    const int number = setting.number.value_or(1);
    origin = Com(number) + ", from the window's configuration (" + path + ")";
    return number;
}

int ListedPorts(const Context& c, std::vector<PortEntry>& ports) {
    ports = ListPorts();
    if (c.opt.port.empty() || IsAll(c.opt.port)) return kExitOk;
    if (!IsComNumberList(c.opt.port))
        return c.Fail(kExitUsage, "ports takes COM numbers with --port (3, or 3,4), not " +
                                      c.opt.port + "; ztcli test --port PATH tries a device");
    std::vector<PortEntry> named;
    std::vector<int> numbers;  // each once
    for (const std::string& part : ListParts(c.opt.port)) {
        const std::string problem = PortOptionProblem(part);
        if (!problem.empty()) return c.Fail(kExitUsage, "--port: " + problem);
        const int n = *ComNumber(part);
        const auto it = std::find_if(ports.begin(), ports.end(),
                                     [n](const PortEntry& p) { return p.number == n; });
        if (it == ports.end()) {
            c.Fail(kExitUsage, Com(n) + " (" + ComDevicePath(n) + "): no such device");
            Hints(c, {PresentPortsHints(c, n)[0]});
            return kExitUsage;
        }
        if (std::find(numbers.begin(), numbers.end(), n) == numbers.end()) {
            numbers.push_back(n);
            named.push_back(*it);
        }
    }
    ports = named;
    return kExitOk;
}

std::string PortTrouble(const std::string& error) {
    return error.empty() ? "" : " (" + error + ")";
}

int PortFail(const Context& c, const PortChoice& where, int status, const std::string& text,
             const std::vector<std::string>& hints) {
    c.Fail(status, where.origin + ": " + text);
    Hints(c, hints);
    return status;
}

int DetectionFailure(const Context& c, const PortChoice& where, const Detection& d,
                     const std::string& prefix) {
    if (d.open != PortOpen::Ok) return OpenFailure(c, where, d);
    if (d.outcome != DetectOutcome::Failed) return kExitOk;
    const std::string trouble = PortTrouble(d.portError);
    if (d.linkStatus == kNoResponseText)
        return PortFail(c, where, kExitKeyer,
                        prefix + d.linkStatus + " from " + DeviceName(where.device) + trouble,
                        {kSilentHint});
    return PortFail(c, where, kExitKeyer, prefix + d.linkStatus + trouble);
}

std::string ProbeSummary(const ProbedPort& probed) {
    if (!probed.detection) return "not tried: " + probed.port.note;
    const Detection& d = *probed.detection;
    if (d.open != PortOpen::Ok) return d.portError;
    switch (d.outcome) {
        case DetectOutcome::Firmware:
            return d.chipLabel + "  " + d.linkStatus;
        case DetectOutcome::BootLoaderOnly:
            return d.linkStatus + ": " + kBootLoaderOnlyText;
        default:
            return d.linkStatus == kNoResponseText ? "no answer" : d.linkStatus;
    }
}

}  // namespace zt::cli
