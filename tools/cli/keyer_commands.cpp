// The commands that talk to the keyer. Each runs the core's operation, as the
// window's button does, so the keyer sees the same bytes; only the showing
// differs.
#include <chrono>
#include <filesystem>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/json.h"
#include "cli/port_choice.h"
#include "cli/progress.h"
#include "cli/settings_fields.h"
#include "common/config_file.h"
#include "common/keyer_records.h"
#include "firmware/program.h"
#include "firmware/upload.h"
#include "link/commands.h"
#include "link/detect.h"
#include "link/operations.h"
#include "link/port.h"
#include "link/port_list.h"
#include "link/probe.h"
#include "settings/edits.h"
#include "settings/messages.h"
#include "settings/schema.h"
#include "settings/settings_file.h"

namespace zt::cli {

namespace {

// The transfers report nothing as they go; their length is known from the
// line's speed, so the bar follows the clock until they are done.
class TransferProgress {
  public:
    TransferProgress(const Context& c, Port& port, const char* label, int bytes, int extraMs)
        : port_(port), bar_(c, label), start_(std::chrono::steady_clock::now()) {
        const int baud = port.lineSettings().baudRate > 0 ? port.lineSettings().baudRate : 1200;
        expectedMs_ = bytes * 10 * 1000 / baud + extraMs;
        bar_.Update(0);
        port_.SetWaitHook([this] { Tick(); });
    }
    ~TransferProgress() { port_.SetWaitHook({}); }
    void End(bool complete) { bar_.End(complete); }

  private:
    void Tick() {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - start_)
                            .count();
        bar_.Update(static_cast<int>(std::min<long long>(99, ms * 100 / expectedMs_)));
    }
    Port& port_;
    Progress bar_;
    std::chrono::steady_clock::time_point start_;
    long long expectedMs_;
};

// Both commands and both replies of a settings read or write.
constexpr int kTransferBytes = 2 + kMainBlockSize + 2 + kExtensionBlockSize;

// What answered, as detection found it.
void SayFound(const Context& c, const Detection& d) {
    c.Say(d.chipLabel.empty() ? d.linkStatus : d.chipLabel + "  " + d.linkStatus);
}

// A settings read or write as ztcli shows it: it says what answered, then
// follows the transfer with a bar.
class SettingsTransfer {
  public:
    SettingsTransfer(const Context& c, const PortChoice& where, Port& port, const char* label,
                     int extraMs)
        : c_(c), where_(where), port_(port), label_(label), extraMs_(extraMs) {}

    AfterDetection Steps() {
        return [this](const Detection& d) {
            SayFound(c_, d);
            progress_.emplace(c_, port_, label_, kTransferBytes, extraMs_);
            return true;
        };
    }
    // kExitOk, or the status after saying why it failed.
    int Status(const TransferResult& r) {
        if (int status = DetectionFailure(c_, where_, r.detection)) return status;
        if (progress_)
            progress_->End(r.Complete());
        else
            SayFound(c_, r.detection);  // a keyer without the settings commands
        if (r.Complete()) return kExitOk;
        std::vector<std::string> hints;
        if (r.transfer == TransferOutcome::BootLoaderOnly) hints.push_back(kRecoveryHint);
        return PortFail(c_, where_, kExitKeyer,
                        TransferText(*r.transfer) + PortTrouble(port_.ErrorText()), hints);
    }

  private:
    const Context& c_;
    const PortChoice& where_;
    Port& port_;
    const char* label_;
    int extraMs_;
    std::optional<TransferProgress> progress_;
};

// The keyer's settings as Read ZT reads them, on port.
int ReadOn(const Context& c, const PortChoice& where, Port& port, SettingsImage& image) {
    SettingsTransfer transfer(c, where, port, "Reading", 0);
    return transfer.Status(ReadKeyer(port, where.target, {}, c.waits, image, transfer.Steps()));
}

// Log lines come from the upload's worker; the main thread prints them
// between redraws of the bar so the two never interleave.
class LogQueue {
  public:
    void Push(const std::string& line) {
        std::lock_guard<std::mutex> lock(mu_);
        lines_.push_back(line);
    }
    void Flush(const Context& c) {
        std::vector<std::string> lines;
        {
            std::lock_guard<std::mutex> lock(mu_);
            lines.swap(lines_);
        }
        for (std::string& line : lines) {
            while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
            if (c.io.errTerminal) c.io.err << "\r\033[K";  // clear the bar; it is redrawn next
            c.io.err << line << '\n';
        }
    }

  private:
    std::mutex mu_;
    std::vector<std::string> lines_;
};

// Whether a settings file can be saved at path, found out before the keyer
// is asked, which takes a while.
int CheckSavable(const Context& c, const std::string& path) {
    FileTrouble trouble;
    if (CheckWritable(path, &trouble) != SafeWrite::Ok)
        return c.Fail(kExitUsage, path + ": " + SettingsFileText(SettingsFileResult::CreateFailed) +
                                      " (" + trouble.cause + ")");
    return kExitOk;
}

// A port as `ports` lists it: COM number, device and state.
std::string PortLine(const PortEntry& p) {
    return "COM" + std::to_string(p.number) + '\t' + p.device + '\t' + PortStateName(p.state);
}

// `ports --probe`: detection on every free port, and which one answers.
int ProbeCommand(const Context& c, const std::vector<PortEntry>& ports) {
    const std::vector<ProbedPort> probed = ProbePorts(ports, c.waits.detection);
    if (c.opt.json) {
        c.io.out << JsonText(ProbedPortsJson(probed));
        return kExitOk;
    }
    if (probed.empty()) c.Say("no serial ports found");
    int keyers = 0;
    for (const ProbedPort& p : probed) {
        c.io.out << PortLine(p.port) << '\t' << ProbeSummary(p) << '\n';
        keyers += p.KeyerAnswered();
    }
    if (!probed.empty() && keyers == 0) c.Say("no keyer answered");
    return kExitOk;
}

}  // namespace

int PortsCommand(const Context& c) {
    std::vector<PortEntry> ports;
    if (int status = ListedPorts(c, ports)) return status;
    if (c.opt.probe) return ProbeCommand(c, ports);
    if (c.opt.json) {
        c.io.out << JsonText(PortsJson(ports));
        return kExitOk;
    }
    if (ports.empty()) c.Say("no serial ports found");
    for (const PortEntry& p : ports) c.io.out << PortLine(p) << '\n';
    return kExitOk;
}

int TestCommand(const Context& c) {
    PortChoice where;
    if (int status = ChoosePort(c, where)) return status;
    Port port;
    const TestResult t = TestKeyer(port, where.target, {}, c.waits);
    const Detection& d = t.detection;
    if (d.open != PortOpen::Ok) return DetectionFailure(c, where, d);
    // Readings are shown only when every one came: a request that did not go
    // out, or a reply that did not come back, gave none.
    const bool readings = t.values && t.values->failure.empty();
    std::string failure;
    std::vector<std::string> hints;
    if (d.outcome == DetectOutcome::Failed) {
        failure = d.linkStatus + PortTrouble(d.portError);
    } else if (!t.values) {
        failure = kBootLoaderOnlyText + std::string(" (>ZT NOS)");
        hints.push_back(kRecoveryHint);
    } else if (!readings) {
        failure = "the readings fell short (" + t.values->failure + ")";
    }
    if (c.opt.json) {
        c.io.out << JsonText(TestJson(d, readings ? &*t.values : nullptr, failure));
    } else if (d.outcome != DetectOutcome::Failed) {
        if (!d.chipLabel.empty()) c.io.out << d.chipLabel << '\n';
        c.io.out << d.linkStatus << '\n';
        if (readings) {
            const LiveValues& v = *t.values;
            c.io.out << PotText(v.pot.value_or(0)) << '\n';
            if (v.hasPushbutton) c.io.out << PushbuttonText(v.pushbutton.value_or(0)) << '\n';
            c.io.out << SupplyText(v.supply.value_or(0)) << '\n';
        }
    }
    if (d.outcome == DetectOutcome::Failed) return DetectionFailure(c, where, d);
    return failure.empty() ? kExitOk : PortFail(c, where, kExitKeyer, failure, hints);
}

int ReadFromKeyer(const Context& c, SettingsImage& image) {
    PortChoice where;
    if (int status = ChoosePort(c, where)) return status;
    Port port;
    return ReadOn(c, where, port, image);
}

int ReadCommand(const Context& c) {
    // Found out before the keyer is read, which takes a while.
    const bool out = c.opt.file == "-";
    if (out && c.io.outTerminal)
        return c.Fail(kExitUsage,
                      "read - writes the 300 settings bytes to standard output, which is a "
                      "terminal; redirect it to a file or a pipe (ztcli read - > keyer.eep)");
    if (!out)
        if (int status = CheckSavable(c, c.opt.file)) return status;
    SettingsImage image{};
    if (int status = ReadFromKeyer(c, image)) return status;
    if (int status = SaveSettings(c, image)) return status;
    c.Say("Done: the keyer's settings are in " + (out ? "standard output" : c.opt.file));
    return kExitOk;
}

int WriteCommand(const Context& c) {
    SettingsImage image{};
    if (int status = ReadSettings(c, image)) return status;
    if (auto refusal = CheckImage(image))
        return c.Fail(kExitUsage, InputName(c.opt.file) + ": " +
                                      FullName(*refusal->setting, refusal->user) + ": " +
                                      refusal->text);
    if (auto broken = CheckMessageStore(image))
        return c.Fail(kExitUsage, InputName(c.opt.file) + ": " + broken->text +
                                      "; setting any message (ztcli set " +
                                      (c.opt.file == "-" ? "FILE" : c.opt.file) +
                                      " msgN=TEXT) packs the message store anew");
    PortChoice where;
    if (int status = ChoosePort(c, where)) return status;
    Port port;
    SettingsTransfer transfer(c, where, port, "Writing", c.waits.storeMs);
    if (int status =
            transfer.Status(WriteKeyer(port, where.target, {}, c.waits, image, transfer.Steps())))
        return status;
    if (c.opt.noVerify) {
        c.Say("Done");
        return kExitOk;
    }
    TransferProgress progress(c, port, "Verifying", kTransferBytes, 0);
    const ReadBack back = ReadBackSettings(port, c.waits, image);
    progress.End(back.transfer == TransferOutcome::Complete);
    if (back.transfer != TransferOutcome::Complete)
        return PortFail(c, where, kExitKeyer,
                        "the settings went out in full, but reading them back failed: " +
                            std::string(TransferText(back.transfer)) +
                            PortTrouble(port.ErrorText()));
    if (!back.differences.empty())
        return PortFail(c, where, kExitKeyer, VerifyFailure(image, back.read));
    c.Say("Done: verified");
    return kExitOk;
}

namespace {

// upload --backup: once the keyer and the image have passed their checks,
// the keyer's settings into the backup file, read as `read` reads them on the
// port the upload then takes. A keyer without the settings commands has none
// to keep, which its checks' detection tells without asking it again.
int Backup(const Context& c, const PortChoice& where, Port& port, const ProgramStart& start) {
    if (const std::optional<TransferOutcome> none = SettingsRefusal(*start.detection)) {
        c.Say("No backup: " + std::string(TransferText(*none)));
        return kExitOk;
    }
    SettingsImage image{};
    int status = ReadOn(c, where, port, image);
    if (status == kExitOk) {
        Context backup = c;
        backup.opt.file = c.opt.backup;
        status = SaveSettings(backup, image);
    }
    if (status != kExitOk) {
        c.io.err << "ztcli: nothing was programmed: the settings could not be backed up\n";
        return status;
    }
    c.Say("The keyer's settings are in " + c.opt.backup);
    return kExitOk;
}

// How to bring the keyer back after an upload that did not finish, by how
// far it got. Where only the boot loader was there, or frames went out, the
// firmware is gone until the keyer is programmed again.
std::string StageHint(UploadStage stage, bool recovery) {
    if (recovery || stage == UploadStage::Programming) return kUploadCutHint;
    const std::string whole =
        "no frame was sent, so its firmware is whole: switch the keyer off "
        "and on, and it runs again (ztcli test shows it)";
    switch (stage) {
        case UploadStage::Firmware:
            return "nothing was sent to the keyer: its firmware runs as before";
        case UploadStage::HandOverSent:
            return "the keyer's firmware was told to hand over to its boot loader, which never "
                   "answered; " +
                   whole;
        default:
            return "the keyer's boot loader answered; " + whole;
    }
}

// Runs the upload to its end, following it with the bar and the log. Ctrl+C
// stops it between frames instead of cutting a frame short.
UploadPoll FollowUpload(const Context& c, UploadDriver& upload, LogQueue& log,
                        const CtrlCCatcher& ctrlC) {
    Progress bar(c, "Uploading");
    UploadPoll p;
    bool stopAsked = false;
    while (!p.result) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (ctrlC.Caught() && !stopAsked) {
            upload.RequestStop();
            stopAsked = true;
        }
        log.Flush(c);
        p = upload.Poll();
        bar.Update(p.progress);
    }
    log.Flush(c);
    bar.End(*p.result == UploadResult::Done);
    return p;
}

}  // namespace

int UploadCommand(const Context& c) {
    LoadedImage firmware;
    if (int status = LoadFirmware(c, firmware)) return status;
    c.Say(LoadedText(firmware.identity, firmware.result));
    if (!c.opt.backup.empty())
        if (int status = CheckSavable(c, c.opt.backup)) return status;
    PortChoice where;
    if (int status = ChoosePort(c, where)) return status;
    Port port;
    const ProgramStart start = PrepareProgram(port, where.target, {}, c.waits, firmware);
    if (!start.detection) return c.Fail(kExitUsage, c.opt.file + ": " + start.text);
    if (int status = DetectionFailure(c, where, *start.detection, start.text + ": ")) return status;
    if (!start.Goes()) return PortFail(c, where, kExitKeyer, start.text);
    if (!c.opt.backup.empty())
        if (int status = Backup(c, where, port, start)) return status;
    c.Say(start.text);

    LogQueue log;
    const bool recovery = start.check == ProgramCheck::Recovery;
    UploadJob job{&port, &firmware.image, recovery, {}, c.waits};
    if (c.opt.verbose) job.log = [&log](const std::string& line) { log.Push(line); };
    const CtrlCCatcher ctrlC;
    UploadDriver upload;
    if (!upload.Start(job))
        return PortFail(c, where, kExitKeyer, UploadResultText(UploadResult::NotStarted));
    const UploadPoll p = FollowUpload(c, upload, log, ctrlC);
    if (*p.result == UploadResult::Stopped)
        return PortFail(c, where, kExitInterrupted, "the upload was stopped by the user (Ctrl+C)",
                        {StageHint(p.stage, recovery)});
    if (*p.result != UploadResult::Done)
        return PortFail(c, where, kExitKeyer, p.text, {StageHint(p.stage, recovery)});
    c.Say(p.text);
    return kExitOk;
}

}  // namespace zt::cli
