#pragma once
// The records of a batch, one per port: what the port shows while it runs
// (PortSlot, written by the port's thread and read by the one that draws),
// and what came of it (PortReport, the port's own until its thread ends).

#include <algorithm>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "cli/port_choice.h"
#include "cli/settings_json.h"
#include "common/keyer_records.h"
#include "link/detect.h"

namespace zt::cli {

struct PortReport {
    enum class Result {
        Ok,
        Failed,
        Stopped,  // by Ctrl+C
        NoKeyer,  // all: nothing answered detection here
        Skipped,  // all: another program holds the port, or it may not be opened
    };
    PortChoice where;
    std::string name;  // "COM3", or the device path given
    Result result = Result::Failed;
    int status = 0;
    std::optional<Detection> before;  // the command's first detection
    std::optional<Detection> after;   // upload: the detection once it is done
    // Ok: what came of it ("Done: verified"); otherwise the cause, as the
    // first line of the failure says it after the port's origin.
    std::string outcome;
    std::string failure;            // what the port's run printed on the error stream
    std::string data;               // ... and on the output
    Json details = Json::object();  // the command's own: readings, file, differences
    double seconds = 0;
    bool programAgain = false;              // upload: the keyer is left without whole firmware
    std::optional<SettingsImage> settings;  // read: what came
};

// What one port shows while it runs; every call is safe from any thread.
class PortSlot {
  public:
    struct View {
        std::string identity;  // "SMT 31.05", once detection has found it
        std::string stage = "Detecting";
        int percent = -1;  // none yet
        int frames = 0, of = 0;
        std::optional<std::string> ending;  // the final line's words, once it has ended
    };
    void Identify(const std::string& identity);
    void Begin(const std::string& stage);
    void Progress(int percent, int frames, int of);
    void Log(const std::string& line);
    void End(const std::string& ending);
    // What happened since the last look, in order: a stage begun, a log line.
    struct Event {
        bool stage;
        std::string text;
    };
    // The view now, and the events since the last look.
    View Look(std::vector<Event>& events);

  private:
    std::mutex mu_;
    View view_;
    std::vector<Event> events_;
};

}  // namespace zt::cli
