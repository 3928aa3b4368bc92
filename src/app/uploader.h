#pragma once
// The firmware uploader dialog: loads an image file, checks it against the
// attached keyer and runs the upload on a worker thread, following it with a
// 100 ms timer. FW Update in the main window opens it and tests the keyer
// when it closes.

#include "firmware/upload.h"
#include "ui/ui.h"

namespace zt {

int UploaderProc(ui::Window& w, const ui::Message& m);
// FW Update: the uploader, then Test ZT at once to show the keyer as it is now.
void FwUpdateCommand(ui::Window& w);

constexpr int kUploadTimer = 2;
constexpr int kUploadTimerMs = 100;

// Starts the worker thread; empty for std::thread. Tests put a failing one in.
extern WorkerStarter startUploadWorker;

}  // namespace zt
