#include "app/uploader.h"

#include <memory>
#include <string>
#include <system_error>

#include "app/keyer_commands.h"
#include "common/app_state.h"
#include "firmware/identify.h"
#include "firmware/image.h"
#include "resources/ids.h"
#include "resources/templates.h"

namespace zt {

UploadWaits uploadWaits;
std::function<std::thread(std::function<void()>)> startUploadWorker =
    [](std::function<void()> work) { return std::thread(std::move(work)); };

namespace {

// What the open dialog keeps. While the worker runs it alone writes the
// status and the window's thread only reads it; nobody writes the image.
struct Uploader {
    FirmwareImage image{};
    bool fileLoaded = false;  // a load has succeeded since the dialog opened
    int loadResult = 0;       // of the latest load
    ImageIdentity identity;   // of the latest successful load
    bool verbose = false;     // as the About box left it when the dialog opened
    UploadStatus status;
    std::thread worker;  // joinable from the start of an upload until its result is shown
};

std::unique_ptr<Uploader> uploader;

constexpr int kLogLimit = 65535;  // 964 lines of 51 characters fit

void Say(ui::Window& w, const std::string& text) {
    ui::setText(w, ids::kUploadMessage, text);
}

void SetButtons(ui::Window& w, bool load, bool program) {
    ui::enable(w, ids::kLoadBin, load);
    ui::enable(w, ids::kProgram, program);
}

ui::FileDialogRequest ImageFileRequest() {
    ui::FileDialogRequest r;
    r.title = "Open";
    r.filters = {{"All files", "*.*"}, {"Bin Files", "*.bin"}};
    r.initialFilter = 1;
    r.initialPath = "*.bin";
    r.mustExist = true;
    r.defaultExtension = "bin";
    return r;
}

void Initialise(ui::Window& w) {
    uploader = std::make_unique<Uploader>();
    uploader->verbose = appState.verboseMode != 0;
    if (uploader->verbose) ui::setTextLimit(w, ids::kUploadLog, kLogLimit);
    SetButtons(w, true, false);
}

// A failed load leaves the flag and buttons as they were; Program then
// refuses, because the image in memory is partly blank.
void LoadFile(ui::Window& w) {
    std::optional<std::string> path = ui::fileDialog(&w, ImageFileRequest());
    if (!path) return;
    Say(w, "Opening File");
    ui::setText(w, ids::kUploadPath, *path);
    ui::setTip(w, ids::kUploadPath, *path);  // a long path shows only its middle on the line
    Uploader& u = *uploader;
    u.loadResult = LoadImageFile(*path, u.image,
                                 [&w](int at) { ui::setProgress(w, ids::kUploadProgress, at); });
    if (u.loadResult <= 0) return Say(w, "File Error");
    u.identity = IdentifyImage(u.image[0]);
    Say(w, LoadedText(u.identity, u.loadResult));
    u.fileLoaded = true;
    ui::enable(w, ids::kProgram, true);
}

void StartUpload(ui::Window& w, bool recovery) {
    Uploader& u = *uploader;
    SetButtons(w, false, false);
    u.status.progress = 0;
    u.status.result = kUploadRunning;
    u.status.cause.clear();
    Say(w, recovery ? "Programming ZOVOV in Recovery mode...." : "Programming ZOVOV....");
    UploadJob job{&keyerPort, &u.image, recovery, {}, uploadWaits};
    if (u.verbose)
        job.log = [&w](const std::string& line) { ui::appendTextSync(w, ids::kUploadLog, line); };
    try {
        u.worker = startUploadWorker([job, &u] { RunUpload(job, u.status); });
    } catch (const std::system_error&) {
        SetButtons(w, true, true);
        return Say(w, "Error: Upload could not be started !");
    }
    ui::startTimer(w, kUploadTimer, kUploadTimerMs);
}

void Program(ui::Window& w) {
    Uploader& u = *uploader;
    ui::setProgress(w, ids::kUploadProgress, 0);
    if (!u.fileLoaded || u.loadResult < 0) return Say(w, "Error: Please Open a Programming File !");
    if (u.loadResult == 0) return Say(w, "Error: Zero Length File !");
    if (!HoldsProgram(u.image)) return Say(w, "Error: No Program Data in File !");
    // Always anew: the keyer may have been swapped or restarted since.
    keyerPort.Close();
    const Detection d = DetectKeyer(keyerPort, comPortNumber, appState.keyer);
    appState.keyer = d.identity;
    if (d.outcome == DetectOutcome::Failed) {
        ui::messageBox(nullptr, "ZT not connected", "Error", ui::Icon::Warning);
        return;
    }
    const ImageCheck check = CheckImageForKeyer(appState.keyer.chipVariant, u.identity.family);
    if (!check.refusal.empty()) return Say(w, check.refusal);
    StartUpload(w, check.recovery);
}

void Tick(ui::Window& w) {
    Uploader& u = *uploader;
    ui::setProgress(w, ids::kUploadProgress, u.status.progress);
    const int result = u.status.result;
    if (result == kUploadRunning) return;
    u.worker.join();  // storing the result was its last act
    SetButtons(w, true, false);
    Say(w, UploadResultText(result, u.status.cause));
    u.status.result = kUploadRunning;
    ui::stopTimer(w, kUploadTimer);
}

// The worker has the port and hands its log lines to this window, so the
// dialog stays until the worker has ended; the main window's Test follows.
void Leave(ui::Window& w) {
    if (uploader->worker.joinable()) return Say(w, "Please wait: the upload is still running");
    ui::endDialog(w, 0);
}

const ui::Route kRoutes[] = {
    {ui::Msg::Init, 0, Initialise},
    {ui::Msg::Timer, kUploadTimer, Tick},
    {ui::Msg::Close, 0, Leave},
    {ui::Msg::Command, ids::kUploadExit, Leave},
    {ui::Msg::Command, ids::kLoadBin, LoadFile},
    {ui::Msg::Command, ids::kProgram, Program},
};

}  // namespace

int UploaderProc(ui::Window& w, const ui::Message& m) {
    return ui::dispatch(kRoutes, w, m);
}

void FwUpdateCommand(ui::Window& w) {
    ui::runModal(kUploaderTemplate, &w, UploaderProc);
    ui::sendCommand(w, ids::kTestZt, 0);
}

}  // namespace zt
