#include "app/uploader.h"

#include <memory>
#include <string>

#include "app/session.h"
#include "firmware/program.h"
#include "resources/ids.h"
#include "resources/templates.h"

namespace zt {

namespace {

constexpr int kLogLimit = 65535;  // 964 lines of 51 characters fit

// The line, and what more there is to say about it as its tooltip.
void Show(ui::Window& w, const std::string& text, const std::string& more = {}) {
    ui::setText(w, ids::kUploadMessage, text);
    ui::setTip(w, ids::kUploadMessage, more);
}

// The same for a result, which is told too.
void Say(ui::Window& w, const std::string& text, const std::string& more = {}) {
    Show(w, text, more);
    ui::announce(w, text);
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

// The open dialog's state, kept in the session.
Uploader& State() {
    return *CurrentSession().uploader;
}

void Initialise(ui::Window& w) {
    Session& s = CurrentSession();
    s.uploader = std::make_unique<Uploader>();
    s.uploader->verbose = s.verboseMode != 0;
    if (s.uploader->verbose) ui::setTextLimit(w, ids::kUploadLog, kLogLimit);
    SetButtons(w, true, false);
    ui::setFocus(w, ids::kLoadBin);  // not the log, which only tells
}

// A failed load leaves the flag and buttons as they were; Program then
// refuses, because the image in memory is partly blank. Why it failed is the
// line's tooltip.
void LoadFile(ui::Window& w) {
    std::optional<std::string> path = ui::fileDialog(&w, ImageFileRequest());
    if (!path) return;
    Show(w, "Opening File");
    ui::setText(w, ids::kUploadPath, *path);
    ui::setTip(w, ids::kUploadPath, *path);  // a long path shows only its middle on the line
    LoadedImage& firmware = State().firmware;
    firmware.Load(*path, [&w](int at) { ui::setProgress(w, ids::kUploadProgress, at); });
    if (firmware.result <= 0) return Say(w, kLoadFailedText, LoadFailureText(firmware.result));
    Say(w, LoadedText(firmware.identity, firmware.result));
    ui::enable(w, ids::kProgram, true);
}

void StartUpload(ui::Window& w, const ProgramStart& start) {
    Session& s = CurrentSession();
    Uploader& u = *s.uploader;
    SetButtons(w, false, false);
    Say(w, start.text);
    UploadJob job{&s.port, &u.firmware.image, start.check == ProgramCheck::Recovery, {}, s.waits};
    if (u.verbose)
        job.log = [&w](const std::string& line) { ui::appendTextSync(w, ids::kUploadLog, line); };
    if (!u.upload.Start(job, s.startUploadWorker)) {
        SetButtons(w, true, true);
        return Say(w, UploadResultText(UploadResult::NotStarted));
    }
    ui::startTimer(w, kUploadTimer, kUploadTimerMs);
}

// The upload disables Program: the focus then waits on Exit, the one button
// that stays enabled, while the upload runs.
void Program(ui::Window& w) {
    const ui::FocusMark mark = ui::markFocus(w);
    ui::setProgress(w, ids::kUploadProgress, 0);
    Session& s = CurrentSession();
    const ProgramStart start =
        PrepareProgram(s.port, KeyerTarget(), s.keyer, s.waits, s.uploader->firmware);
    if (start.detection) s.keyer = start.detection->identity;
    if (start.check == ProgramCheck::NotConnected)
        ui::messageBox(nullptr, start.text, "Error", ui::Icon::Warning);
    else if (start.Goes())
        StartUpload(w, start);
    else
        Say(w, start.text);
    ui::restoreFocus(w, mark, ids::kUploadExit);
}

void Tick(ui::Window& w) {
    const UploadPoll p = State().upload.Poll();
    ui::setProgress(w, ids::kUploadProgress, p.progress);
    if (!p.result) return;
    SetButtons(w, true, false);
    Say(w, p.text);
    ui::stopTimer(w, kUploadTimer);
}

// The worker has the port and hands its log lines to this window, so the
// dialog stays until the worker has ended (Exit, Escape and the close box
// alike); the main window's Test follows.
void Leave(ui::Window& w) {
    if (State().upload.Running()) return Say(w, "Please wait: the upload is still running");
    ui::endDialog(w, 0);
}

const ui::Route kRoutes[] = {
    {ui::Msg::Init, 0, Initialise},
    {ui::Msg::Timer, kUploadTimer, Tick},
    {ui::Msg::Close, 0, Leave},
    {ui::Msg::Command, ids::kUploadExit, Leave},
    {ui::Msg::Command, ui::kIdCancel, Leave},
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
