#pragma once
// How a keyer command on one port tells what it is doing: what answered, the
// stage under way and how far it is, its informational lines. The same
// command code runs on a port of its own, where OnePortWatch draws ztcli's
// usual bar on the error stream, and on each port of a batch, whose watch
// feeds that port's line (batch.cpp).

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "cli/context.h"
#include "cli/interrupt.h"
#include "cli/progress.h"
#include "link/detect.h"

namespace zt::cli {

// The stages a command goes through after its detection; all but Detecting
// (a batch's check after an upload) have a bar.
enum class Stage { Detecting, Reading, BackingUp, Writing, Verifying, Uploading };

class PortWatch {
  public:
    virtual ~PortWatch() = default;
    // An informational line, as c.Say prints it for one port.
    virtual void Say(const std::string& line) = 0;
    // What a detection found, keyer or not.
    virtual void Detected(const Detection& d) = 0;
    virtual void Begin(Stage stage) = 0;
    // percent 0..100; frames of all, for an upload.
    virtual void Progress(int percent, int frames = 0, int of = 0) = 0;
    virtual void End(bool complete) = 0;
    // A verbose upload's line per frame, without its line end; called on the
    // upload's own thread.
    virtual void Log(const std::string& line) = 0;
    // Called now and then by the thread that follows an upload.
    virtual void Flush() {}
    // The user asked with Ctrl+C for the upload to stop.
    virtual bool StopAsked() const = 0;
};

// One port, as ztcli has always shown it: lines on the error stream, a bar
// per stage, and Ctrl+C caught while the upload runs.
class OnePortWatch : public PortWatch {
  public:
    explicit OnePortWatch(const Context& c) : c_(c) {}
    void Say(const std::string& line) override { c_.Say(line); }
    void Detected(const Detection&) override {}
    void Begin(Stage stage) override;
    void Progress(int percent, int, int) override;
    void End(bool complete) override;
    void Log(const std::string& line) override;
    void Flush() override;
    bool StopAsked() const override { return ctrlC_ && ctrlC_->Caught(); }

  private:
    const Context& c_;
    std::optional<cli::Progress> bar_;
    std::optional<CtrlCCatcher> ctrlC_;
    // Log lines come from the upload's worker; the following thread prints
    // them between redraws of the bar so the two never interleave.
    std::mutex logMu_;
    std::vector<std::string> log_;
};

// "SMT 31.05", the chip and firmware as a batch's lines show them; "boot loader"
// when only that answered; empty when nothing did.
std::string IdentityText(const Detection& d);

}  // namespace zt::cli
