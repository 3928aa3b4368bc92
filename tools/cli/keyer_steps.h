#pragma once
// Each keyer command on one port, after the port is chosen: what a command
// with one port runs, and what each port of a batch runs on a thread of its
// own. They use nothing but their arguments: c prints where that port's
// words go, w follows it, the port is theirs alone.

#include <string>

#include "cli/context.h"
#include "cli/port_choice.h"
#include "cli/port_watch.h"
#include "firmware/program.h"
#include "firmware/upload.h"
#include "link/operations.h"
#include "link/port.h"

namespace zt::cli {

// test: the readings to c.io.out (or its JSON, with --json), a failure to
// c.io.err; t is what the core found.
int TestOn(const Context& c, const PortChoice& where, PortWatch& w, TestResult& t);

// The keyer's settings as Read ZT reads them (detection first), into image.
int ReadOn(const Context& c, const PortChoice& where, Port& port, SettingsImage& image,
           PortWatch& w, Stage stage = Stage::Reading);

// write: image to the keyer, then the read-back unless --no-verify.
int WriteOn(const Context& c, const PortChoice& where, const SettingsImage& image, PortWatch& w);

// upload: the checks, the backup (opt.backup; {chip} filled in a batch's
// port), the upload; ended is how the upload ended, when it started.
int UploadOn(const Context& c, const PortChoice& where, Port& port, const LoadedImage& firmware,
             PortWatch& w, UploadPoll& ended);

// write's checks of the settings to send: opt.file read, and refused as the
// editor would refuse it. kExitOk, or kExitUsage after saying why.
int SettingsToWrite(const Context& c, SettingsImage& image);

// Whether a settings file can be saved at path, found out before the keyer
// is asked, which takes a while.
int CheckSavable(const Context& c, const std::string& path);

// The upload's result for the user who stopped it: kExitInterrupted, with
// what became of the keyer.
int StoppedUpload(const Context& c, const PortChoice& where, UploadStage stage, bool recovery);

}  // namespace zt::cli
