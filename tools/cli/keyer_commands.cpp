// The commands that talk to the keyer. Each runs the core's operation, as the
// window's button does, so the keyer sees the same bytes; only the showing
// differs. A command whose --port names several ports runs the same steps on
// each (batch_commands.cpp).
#include <chrono>
#include <optional>
#include <thread>
#include <vector>

#include "cli/commands.h"
#include "cli/file_pattern.h"
#include "cli/json.h"
#include "cli/keyer_steps.h"
#include "cli/port_choice.h"
#include "cli/settings_fields.h"
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
    TransferProgress(PortWatch& w, Port& port, Stage stage, int bytes, int extraMs)
        : w_(w), port_(port), start_(std::chrono::steady_clock::now()) {
        const int baud = port.lineSettings().baudRate > 0 ? port.lineSettings().baudRate : 1200;
        expectedMs_ = bytes * 10 * 1000 / baud + extraMs;
        w_.Begin(stage);
        w_.Progress(0);
        port_.SetWaitHook([this] { Tick(); });
    }
    ~TransferProgress() { port_.SetWaitHook({}); }
    void End(bool complete) { w_.End(complete); }

  private:
    void Tick() {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - start_)
                            .count();
        w_.Progress(static_cast<int>(std::min<long long>(99, ms * 100 / expectedMs_)));
    }
    PortWatch& w_;
    Port& port_;
    std::chrono::steady_clock::time_point start_;
    long long expectedMs_;
};

// Both commands and both replies of a settings read or write.
constexpr int kTransferBytes = 2 + kMainBlockSize + 2 + kExtensionBlockSize;

// What answered, as detection found it.
std::string FoundText(const Detection& d) {
    return d.chipLabel.empty() ? d.linkStatus : d.chipLabel + "  " + d.linkStatus;
}

// A settings read or write as ztcli shows it: it says what answered, then
// follows the transfer with a bar.
class SettingsTransfer {
  public:
    SettingsTransfer(const Context& c, const PortChoice& where, Port& port, PortWatch& w,
                     Stage stage, int extraMs)
        : c_(c), where_(where), port_(port), w_(w), stage_(stage), extraMs_(extraMs) {}

    AfterDetection Steps() {
        return [this](const Detection& d) {
            w_.Detected(d);
            w_.Say(FoundText(d));
            progress_.emplace(w_, port_, stage_, kTransferBytes, extraMs_);
            return true;
        };
    }
    // kExitOk, or the status after saying why it failed.
    int Status(const TransferResult& r) {
        w_.Detected(r.detection);
        if (int status = DetectionFailure(c_, where_, r.detection)) return status;
        if (progress_)
            progress_->End(r.Complete());
        else
            w_.Say(FoundText(r.detection));  // a keyer without the settings commands
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
    PortWatch& w_;
    Stage stage_;
    int extraMs_;
    std::optional<TransferProgress> progress_;
};

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

int CheckSavable(const Context& c, const std::string& path) {
    FileTrouble trouble;
    if (CheckWritable(path, &trouble) != SafeWrite::Ok)
        return c.Fail(kExitUsage, path + ": " + SettingsFileText(SettingsFileResult::CreateFailed) +
                                      " (" + trouble.cause + ")");
    return kExitOk;
}

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

int TestOn(const Context& c, const PortChoice& where, PortWatch& w, TestResult& t) {
    Port port;
    t = TestKeyer(port, where.target, {}, c.waits);
    const Detection& d = t.detection;
    w.Detected(d);
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

int TestCommand(const Context& c) {
    if (SeveralPorts(c)) return TestOnPorts(c);
    PortChoice where;
    if (int status = ChoosePort(c, where)) return status;
    OnePortWatch w(c);
    TestResult t;
    return TestOn(c, where, w, t);
}

int ReadOn(const Context& c, const PortChoice& where, Port& port, SettingsImage& image,
           PortWatch& w, Stage stage) {
    SettingsTransfer transfer(c, where, port, w, stage, 0);
    return transfer.Status(ReadKeyer(port, where.target, {}, c.waits, image, transfer.Steps()));
}

int ReadFromKeyer(const Context& c, SettingsImage& image) {
    PortChoice where;
    if (int status = ChoosePort(c, where)) return status;
    Port port;
    OnePortWatch w(c);
    return ReadOn(c, where, port, image, w);
}

int ReadCommand(const Context& c) {
    if (RunsAsBatch(c)) return ReadOnPorts(c);
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

int SettingsToWrite(const Context& c, SettingsImage& image) {
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
    return kExitOk;
}

int WriteOn(const Context& c, const PortChoice& where, const SettingsImage& image, PortWatch& w) {
    Port port;
    SettingsTransfer transfer(c, where, port, w, Stage::Writing, c.waits.storeMs);
    if (int status =
            transfer.Status(WriteKeyer(port, where.target, {}, c.waits, image, transfer.Steps())))
        return status;
    if (c.opt.noVerify) {
        w.Say("Done");
        return kExitOk;
    }
    TransferProgress progress(w, port, Stage::Verifying, kTransferBytes, 0);
    const ReadBack back = ReadBackSettings(port, c.waits, image);
    progress.End(back.transfer == TransferOutcome::Complete);
    if (back.transfer != TransferOutcome::Complete)
        return PortFail(c, where, kExitKeyer,
                        "the settings went out in full, but reading them back failed: " +
                            std::string(TransferText(back.transfer)) +
                            PortTrouble(port.ErrorText()));
    if (!back.differences.empty())
        return PortFail(c, where, kExitKeyer, VerifyFailure(image, back.read));
    w.Say("Done: verified");
    return kExitOk;
}

int WriteCommand(const Context& c) {
    SettingsImage image{};
    if (int status = SettingsToWrite(c, image)) return status;
    if (RunsAsBatch(c)) return WriteOnPorts(c, image);
    PortChoice where;
    if (int status = ChoosePort(c, where)) return status;
    OnePortWatch w(c);
    return WriteOn(c, where, image, w);
}

namespace {

// upload --backup: once the keyer and the image have passed their checks,
// the keyer's settings into the backup file, read as `read` reads them on the
// port the upload then takes. A keyer without the settings commands has none
// to keep, which its checks' detection tells without asking it again.
int Backup(const Context& c, const PortChoice& where, Port& port, const ProgramStart& start,
           PortWatch& w) {
    if (const std::optional<TransferOutcome> none = SettingsRefusal(*start.detection)) {
        w.Say("No backup: " + std::string(TransferText(*none)));
        return kExitOk;
    }
    SettingsImage image{};
    int status = ReadOn(c, where, port, image, w, Stage::BackingUp);
    Context backup = c;
    backup.opt.file = c.onePortOfMany ? FillChip(c.opt.backup, *start.detection) : c.opt.backup;
    if (status == kExitOk) status = SaveSettings(backup, image);
    if (status != kExitOk) {
        c.io.err << "ztcli: nothing was programmed: the settings could not be backed up\n";
        return status;
    }
    w.Say("The keyer's settings are in " + backup.opt.file);
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
UploadPoll FollowUpload(UploadDriver& upload, PortWatch& w, int frames) {
    UploadPoll p;
    bool stopAsked = false;
    while (!p.result) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (w.StopAsked() && !stopAsked) {
            upload.RequestStop();
            stopAsked = true;
        }
        w.Flush();
        p = upload.Poll();
        w.Progress(p.progress, p.frames, frames);
    }
    w.Flush();
    w.End(*p.result == UploadResult::Done);
    return p;
}

}  // namespace

int StoppedUpload(const Context& c, const PortChoice& where, UploadStage stage, bool recovery) {
    return PortFail(c, where, kExitInterrupted, "the upload was stopped by the user (Ctrl+C)",
                    {StageHint(stage, recovery)});
}

int UploadOn(const Context& c, const PortChoice& where, Port& port, const LoadedImage& firmware,
             PortWatch& w, UploadPoll& ended) {
    const ProgramStart start = PrepareProgram(port, where.target, {}, c.waits, firmware);
    if (!start.detection) return c.Fail(kExitUsage, c.opt.file + ": " + start.text);
    w.Detected(*start.detection);
    if (int status = DetectionFailure(c, where, *start.detection, start.text + ": ")) return status;
    if (!start.Goes()) return PortFail(c, where, kExitKeyer, start.text);
    if (!c.opt.backup.empty())
        if (int status = Backup(c, where, port, start, w)) return status;
    w.Say(start.text);

    const bool recovery = start.check == ProgramCheck::Recovery;
    if (w.StopAsked()) {  // before the first byte of the upload: the keyer is as it was
        ended.result = UploadResult::Stopped;
        return StoppedUpload(c, where, ended.stage, recovery);
    }
    UploadJob job{&port, &firmware.image, recovery, {}, c.waits};
    if (c.opt.verbose)
        job.log = [&w](const std::string& line) {
            w.Log(line.substr(0, line.find_last_not_of("\r\n") + 1));
        };
    w.Begin(Stage::Uploading);
    UploadDriver upload;
    if (!upload.Start(job)) {
        w.End(false);
        return PortFail(c, where, kExitKeyer, UploadResultText(UploadResult::NotStarted));
    }
    ended = FollowUpload(upload, w, static_cast<int>(SlotOrder(firmware.image).size()));
    if (*ended.result == UploadResult::Stopped)
        return StoppedUpload(c, where, ended.stage, recovery);
    if (*ended.result != UploadResult::Done)
        return PortFail(c, where, kExitKeyer, ended.text, {StageHint(ended.stage, recovery)});
    w.Say(ended.text);
    return kExitOk;
}

int UploadCommand(const Context& c) {
    LoadedImage firmware;
    if (int status = LoadFirmware(c, firmware)) return status;
    c.Say(LoadedText(firmware.identity, firmware.result));
    if (RunsAsBatch(c)) return UploadOnPorts(c, firmware);
    if (!c.opt.backup.empty())
        if (int status = CheckSavable(c, c.opt.backup)) return status;
    PortChoice where;
    if (int status = ChoosePort(c, where)) return status;
    Port port;
    OnePortWatch w(c);
    UploadPoll ended;
    return UploadOn(c, where, port, firmware, w, ended);
}

}  // namespace zt::cli
