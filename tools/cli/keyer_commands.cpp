// The commands that talk to the keyer. Each goes through the same core calls,
// in the same order, as the window's button does, so the keyer sees the same
// bytes; only the showing differs.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

#include "cli/commands.h"
#include "cli/json.h"
#include "cli/progress.h"
#include "cli/settings_fields.h"
#include "common/app_state.h"
#include "common/config_file.h"
#include "firmware/identify.h"
#include "firmware/image.h"
#include "firmware/upload.h"
#include "link/commands.h"
#include "link/detect.h"
#include "link/port.h"
#include "link/port_list.h"
#include "link/transfer.h"
#include "settings/messages.h"
#include "settings/schema.h"
#include "settings/settings_file.h"

namespace zt::cli {

PortWaits keyerWaits;
UploadWaits uploadPauses;

namespace {

bool AllDigits(const std::string& text) {
    return !text.empty() && text.size() <= 9 &&
           text.find_first_not_of("0123456789") == std::string::npos;
}

// The COM number the window would use: its configuration file's, or 1, the
// number the window writes into a new one. The file is only read here.
int ConfiguredComPort(const Context& c) {
    configFileName = DesktopConfigFileName();
    if (configFileName.empty() || !std::filesystem::exists(configFileName)) return 1;
    if (const char* problem = ConfigStatusText(LoadComPortSetting()))
        c.io.err << "ztcli: " << configFileName << ": " << problem << '\n';
    return comPortNumber;
}

// Opens the port as --port names it; 0, or kExitPort after saying why.
int OpenKeyerPort(const Context& c, Port& port) {
    port.waits() = keyerWaits;
    int code;
    if (!c.opt.port.empty() && !AllDigits(c.opt.port)) {
        comPortNumber = 0;
        code = port.OpenDevice(c.opt.port);
    } else {
        comPortNumber = c.opt.port.empty() ? ConfiguredComPort(c) : std::stoi(c.opt.port);
        code = port.Open(comPortNumber);
    }
    if (code == kPortOk) return kExitOk;
    return c.Fail(kExitPort, std::string(OpenFailureText(code)) + ": " + port.ErrorText());
}

std::string PortTrouble(const Port& port) {
    return port.ErrorText().empty() ? "" : " (" + port.ErrorText() + ")";
}

// Opens the port and detects the keyer; kExitOk when it answered at all.
int Detect(const Context& c, Port& port, Detection& d) {
    if (int status = OpenKeyerPort(c, port)) return status;
    d = DetectKeyer(port, comPortNumber, KeyerIdentity{});
    if (d.outcome == DetectOutcome::Failed)
        return c.Fail(kExitKeyer, d.linkStatus + PortTrouble(port));
    return kExitOk;
}

// Detection for the settings commands, which need firmware 31 or later; the
// window offers them only then.
int DetectForSettings(const Context& c, Port& port) {
    Detection d;
    if (int status = Detect(c, port, d)) return status;
    c.Say(d.chipLabel.empty() ? d.linkStatus : d.chipLabel + "  " + d.linkStatus);
    if (d.outcome != DetectOutcome::Firmware || !AllowedBy(d.identity).settings)
        return c.Fail(kExitKeyer,
                      "the keyer's firmware has no settings commands (31 or later has)");
    return kExitOk;
}

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

// failurePrefix goes before the failure's text, to say what had happened before.
int ReadInto(const Context& c, Port& port, SettingsImage& image, const char* label,
             const std::string& failurePrefix = "") {
    TransferProgress progress(c, port, label, kTransferBytes, 0);
    const TransferResult r = ReadKeyerSettings(port, image);
    progress.End(r.complete);
    if (!r.complete) return c.Fail(kExitKeyer, failurePrefix + r.failure + PortTrouble(port));
    return kExitOk;
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
            if (c.io.terminal) c.io.out << "\r\033[K";  // clear the bar; it is redrawn next
            c.io.out << line << '\n';
        }
    }

  private:
    std::mutex mu_;
    std::vector<std::string> lines_;
};

}  // namespace

int PortsCommand(const Context& c) {
    const std::vector<PortEntry> ports = ListPorts();
    if (c.opt.json) {
        c.io.out << JsonText(PortsJson(ports));
        return kExitOk;
    }
    if (ports.empty()) c.Say("no serial ports found");
    for (const PortEntry& p : ports)
        c.io.out << "COM" << p.number << '\t' << p.device << '\t' << PortStateName(p.state) << '\n';
    return kExitOk;
}

int TestCommand(const Context& c) {
    Port port;
    if (int status = OpenKeyerPort(c, port)) return status;
    const Detection d = DetectKeyer(port, comPortNumber, KeyerIdentity{});
    LiveValues values;
    const bool firmware = d.outcome == DetectOutcome::Firmware;
    if (firmware) values = ReadLiveValues(port, d.identity.chipVariant);
    // Readings cut off by a failing line are not shown as readings of 0.
    const bool readings = firmware && values.lineFailure.empty();
    std::string failure;
    if (d.outcome == DetectOutcome::Failed)
        failure = d.linkStatus + PortTrouble(port);
    else if (!firmware)
        failure = "only the keyer's boot loader answered (>ZT NOS)";
    else if (!readings)
        failure = "the readings fell short (" + values.lineFailure + ")";
    if (c.opt.json) {
        c.io.out << JsonText(TestJson(d, readings ? &values : nullptr, failure));
    } else if (d.outcome != DetectOutcome::Failed) {
        if (!d.chipLabel.empty()) c.io.out << d.chipLabel << '\n';
        c.io.out << d.linkStatus << '\n';
        if (readings) {
            c.io.out << PotText(values.pot) << '\n';
            if (values.pushbutton) c.io.out << PushbuttonText(*values.pushbutton) << '\n';
            c.io.out << SupplyText(values.supply) << '\n';
        }
    }
    return failure.empty() ? kExitOk : c.Fail(kExitKeyer, failure);
}

int ReadKeyer(const Context& c, SettingsImage& image) {
    Port port;
    if (int status = DetectForSettings(c, port)) return status;
    return ReadInto(c, port, image, "Reading");
}

int ReadCommand(const Context& c) {
    // Found out before the keyer is read, which takes a while.
    FileTrouble trouble;
    if (CheckWritable(c.opt.file, &trouble) != SafeWrite::Ok)
        return c.Fail(kExitUsage, c.opt.file + ": " +
                                      SettingsFileText(SettingsFileResult::CreateFailed) + " (" +
                                      trouble.cause + ")");
    SettingsImage image{};
    if (int status = ReadKeyer(c, image)) return status;
    if (int status = SaveSettings(c, image)) return status;
    c.Say("Done: the keyer's settings are in " + c.opt.file);
    return kExitOk;
}

int WriteCommand(const Context& c) {
    SettingsImage image{};
    if (int status = ReadSettings(c, image)) return status;
    if (auto refusal = CheckImage(image))
        return c.Fail(kExitUsage, c.opt.file + ": " + FullName(*refusal->setting, refusal->user) +
                                      ": " + refusal->text);
    if (auto broken = CheckMessageStore(image))
        return c.Fail(kExitUsage, c.opt.file + ": " + broken->text +
                                      "; setting any message (ztcli set " + c.opt.file +
                                      " msgN=TEXT) packs the message store anew");
    Port port;
    if (int status = DetectForSettings(c, port)) return status;
    {
        TransferProgress progress(c, port, "Writing", kTransferBytes, port.waits().storeMs);
        const TransferResult r = WriteKeyerSettings(port, image);
        progress.End(r.complete);
        if (!r.complete) return c.Fail(kExitKeyer, r.failure + PortTrouble(port));
    }
    if (c.opt.noVerify) {
        c.Say("Done");
        return kExitOk;
    }
    SettingsImage readBack{};
    if (int status = ReadInto(c, port, readBack, "Verifying",
                              "the settings went out in full, but reading them back failed: "))
        return status;
    if (readBack != image) return c.Fail(kExitKeyer, VerifyFailure(image, readBack));
    c.Say("Done: verified");
    return kExitOk;
}

int UploadCommand(const Context& c) {
    FirmwareImage image;
    ImageIdentity identity;
    if (int status = LoadFirmware(c, image, identity)) return status;
    if (!HoldsProgram(image))
        return c.Fail(kExitUsage, c.opt.file + ": Error: No Program Data in File !");
    Port port;
    if (int status = OpenKeyerPort(c, port)) return status;
    const Detection d = DetectKeyer(port, comPortNumber, KeyerIdentity{});
    if (d.outcome == DetectOutcome::Failed)
        return c.Fail(kExitKeyer, "ZT not connected: " + d.linkStatus + PortTrouble(port));
    const ImageCheck check = CheckImageForKeyer(d.identity.chipVariant, identity.family);
    if (!check.refusal.empty()) return c.Fail(kExitKeyer, check.refusal);
    c.Say(check.recovery ? "Programming ZOVOV in Recovery mode...." : "Programming ZOVOV....");

    UploadStatus status;
    LogQueue log;
    UploadJob job{&port, &image, check.recovery, {}, uploadPauses};
    if (c.opt.verbose) job.log = [&log](const std::string& line) { log.Push(line); };
    Progress bar(c, "Uploading");
    std::thread worker([&] { RunUpload(job, status); });
    while (status.result == kUploadRunning) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        log.Flush(c);
        bar.Update(status.progress);
    }
    worker.join();
    log.Flush(c);
    const int result = status.result;
    bar.End(result == kUploadDone);
    if (result != kUploadDone) return c.Fail(kExitKeyer, UploadResultText(result, status.cause));
    c.Say(UploadResultText(result));
    return kExitOk;
}

}  // namespace zt::cli
