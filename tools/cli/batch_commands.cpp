// The keyer commands on several ports (--port 3,4,7 or all): each port runs
// the steps the command runs on one port (keyer_steps.h), side by side
// (batch.h). What is the same for every port is checked once, before any
// port is opened; a file that differs per keyer is named by a pattern
// (file_pattern.h).
#include <sstream>

#include "cli/batch.h"
#include "cli/commands.h"
#include "cli/file_pattern.h"
#include "cli/json.h"
#include "cli/keyer_steps.h"
#include "cli/settings_fields.h"
#include "link/detect.h"

namespace zt::cli {

namespace {

// "PotValue: 128, PB:255, 5.04 Volts"
std::string ReadingsText(const LiveValues& v) {
    return PotText(v.pot.value_or(0)) +
           (v.hasPushbutton ? ", " + PushbuttonText(v.pushbutton.value_or(0)) : "") + ", " +
           SupplyText(v.supply.value_or(0));
}

int TestJob(const Context& c, const PortChoice& where, PortWatch& w, PortReport& r) {
    TestResult t;
    const int status = TestOn(c, where, w, t);
    if (status == kExitOk) {
        r.outcome = ReadingsText(*t.values);
        r.details["readings"] = ReadingsJson(*t.values);
    }
    return status;
}

// A pattern each port's file is named by: refused with several ports when it
// would name one file for two of them; each file checked as `read` checks it.
int CheckPattern(const Context& c, const std::string& what, const std::string& pattern,
                 const PortSet& set) {
    if (const std::string problem = PatternProblem(pattern, set); !problem.empty())
        return c.Fail(kExitUsage, what + pattern + ": " + problem);
    for (const PortChoice& where : set.ports)
        if (int status = CheckSavable(c, FillCom(pattern, where))) return status;
    return kExitOk;
}

// A keyer's settings into the file its port and chip name; kExitOk, or the
// status after saying why.
int SaveRead(const Context& c, PortReport& r) {
    Context own = c;
    own.opt.file = FillChip(FillCom(c.opt.file, r.where), *r.before);
    if (int status = SaveSettings(own, *r.settings)) return status;
    r.outcome = "saved in " + own.opt.file;
    r.details["file"] = own.opt.file;
    return kExitOk;
}

// saveNow: the file's name is the port's own whatever chip answers, so the
// port saves it at once, beside the others rather than after them.
int ReadJob(const Context& c, const PortChoice& where, PortWatch& w, PortReport& r, bool saveNow) {
    Port port;
    SettingsImage image{};
    const int status = ReadOn(c, where, port, image, w);
    if (status != kExitOk) return status;
    r.settings = image;
    return saveNow ? SaveRead(c, r) : kExitOk;
}

// The files of a name that only the chip tells apart, once every keyer has
// answered. Two keyers whose chips fill the name alike get neither file,
// rather than one losing its settings to the other.
void SaveReads(const Context& c, std::vector<PortReport>& reports) {
    std::vector<std::string> names(reports.size());
    for (std::size_t i = 0; i < reports.size(); ++i)
        if (reports[i].settings) names[i] = FillChip(c.opt.file, *reports[i].before);
    for (std::size_t i = 0; i < reports.size(); ++i) {
        PortReport& r = reports[i];
        if (names[i].empty()) continue;
        std::vector<std::string> alike;
        for (std::size_t j = 0; j < reports.size(); ++j)
            if (j != i && names[j] == names[i]) alike.push_back(reports[j].name);
        if (!alike.empty()) {
            FailAfterwards(r, kExitUsage,
                           "ztcli: " + r.where.origin + ": " + names[i] +
                               " would hold the settings of " + Listed(alike) +
                               " too, so it is not saved for either; put {com} in the name\n");
            continue;
        }
        PortContext port(c);  // so that its words join that port's
        if (int status = SaveRead(port.c, r)) FailAfterwards(r, status, port.err.str());
    }
}

int ProgramJob(const Context& c, const PortChoice& where, PortWatch& w, PortReport& r,
               const LoadedImage& firmware) {
    Context own = c;
    own.opt.backup = FillCom(c.opt.backup, where);
    Port port;
    UploadPoll ended;
    const int status = UploadOn(own, where, port, firmware, w, ended);
    const bool recovery = r.before && r.before->outcome == DetectOutcome::BootLoaderOnly;
    r.programAgain = ended.result && *ended.result != UploadResult::Done &&
                     (recovery || ended.stage == UploadStage::Programming);
    if (status != kExitOk) return status;
    // What runs now, as the window's Test after its uploader closes shows it;
    // on the port as the upload left it, at 1200 baud, without opening it anew.
    r.outcome = ended.text;
    w.Begin(Stage::Detecting);
    port.waits() = c.waits.detection;
    r.after = DetectKeyer(port, where.target, {});
    if (r.after->outcome == DetectOutcome::Failed) r.outcome += "; no answer after its restart";
    return status;
}

// diff with the keyer on one port: the keyer's side read first, so that a
// file named by {chip} is the one of the chip that answered.
int DiffJob(const Context& c, const PortChoice& where, PortWatch& w, PortReport& r) {
    const std::string sides[] = {c.opt.file, c.opt.other};
    SettingsImage images[2]{};
    for (int k : {0, 1}) {
        if (sides[k] != "keyer") continue;
        Port port;
        const int status = ReadOn(c, where, port, images[k], w);
        if (status != kExitOk) return status == kExitKeyer ? kExitDiffKeyer : status;
    }
    for (int k : {0, 1}) {
        if (sides[k] == "keyer") continue;
        std::string name = FillCom(sides[k], where);
        if (r.before) name = FillChip(name, *r.before);
        if (int status = ReadSettings(c, name, images[k])) return status;
    }
    const std::vector<std::string> differing = DifferingSettings(images[0], images[1]);
    for (const std::string& line : differing) c.io.out << line << '\n';
    r.details["differences"] = differing;
    r.outcome = differing.empty() ? "the same settings"
                                  : std::to_string(differing.size()) + " settings differ";
    return kExitOk;
}

}  // namespace

int TestOnPorts(const Context& c) {
    PortSet set;
    if (int status = ChoosePorts(c, set)) return status;
    return Conclude(c, set, RunPorts(c, set, TestJob));
}

int ReadOnPorts(const Context& c) {
    if (c.opt.file == "-")
        return c.Fail(kExitUsage,
                      "read - on several ports, or with --json, would put the settings bytes "
                      "where the summary goes; name a file per keyer (keyer-{com}.eep)");
    PortSet set;
    if (int status = ChoosePorts(c, set)) return status;
    if (int status = CheckPattern(c, "", c.opt.file, set)) return status;
    const bool saveNow = HasCom(c.opt.file) || !set.Several();
    const PortJob job = [saveNow](const Context& pc, const PortChoice& where, PortWatch& w,
                                  PortReport& r) { return ReadJob(pc, where, w, r, saveNow); };
    std::vector<PortReport> reports = RunPorts(c, set, job);
    if (!saveNow) SaveReads(c, reports);
    return Conclude(c, set, reports);
}

int WriteOnPorts(const Context& c, const SettingsImage& image) {
    PortSet set;
    if (int status = ChoosePorts(c, set)) return status;
    const std::string done = c.opt.noVerify ? "Done" : "Done: verified";
    const PortJob job = [&](const Context& pc, const PortChoice& where, PortWatch& w,
                            PortReport& r) {
        const int status = WriteOn(pc, where, image, w);
        if (status == kExitOk) r.outcome = done;
        return status;
    };
    return Conclude(c, set, RunPorts(c, set, job));
}

int UploadOnPorts(const Context& c, const LoadedImage& firmware) {
    if (const std::optional<ProgramStart> refused = RefuseImage(firmware))
        return c.Fail(kExitUsage, c.opt.file + ": " + refused->text);
    PortSet set;
    if (int status = ChoosePorts(c, set)) return status;
    if (set.Several() && !c.opt.backup.empty() && !HasCom(c.opt.backup))
        return c.Fail(kExitUsage, "--backup " + c.opt.backup +
                                      ": with several ports the backup's name needs {com}, the "
                                      "COM number, so that each keyer's settings are kept apart "
                                      "before it is programmed (--backup before-{com}.eep)");
    if (!c.opt.backup.empty())
        if (int status = CheckPattern(c, "--backup ", c.opt.backup, set)) return status;
    const PortJob job = [&firmware](const Context& pc, const PortChoice& where, PortWatch& w,
                                    PortReport& r) {
        return ProgramJob(pc, where, w, r, firmware);
    };
    return Conclude(c, set, RunPorts(c, set, job, true), {true});
}

int DiffOnPorts(const Context& c) {
    for (const std::string& side : {c.opt.file, c.opt.other}) {
        if (side == "-")
            return c.Fail(kExitUsage,
                          "diff on several ports, or with --json, takes no -: name a settings "
                          "file instead");
        SettingsImage image{};
        if (side != "keyer" && !HasCom(side) && !HasChip(side))
            if (int status = ReadSettings(c, side, image)) return status;
    }
    PortSet set;
    if (int status = ChoosePorts(c, set)) return status;
    const std::vector<PortReport> reports = RunPorts(c, set, DiffJob);
    for (const PortReport& r : reports) {
        std::istringstream lines(c.opt.json ? "" : r.data);
        for (std::string line; std::getline(lines, line);)
            c.io.out << r.name << ": " << line << '\n';
    }
    const int status = Conclude(c, set, reports, {false, kExitDiffKeyer});
    const bool differ = std::any_of(reports.begin(), reports.end(), [](const PortReport& r) {
        return r.details.contains("differences") && !r.details["differences"].empty();
    });
    return status == kExitOk && differ ? kExitKeyer : status;
}

}  // namespace zt::cli
