#pragma once
// The keyer operations as the window's buttons and ztcli run them: Test,
// Read and Write, and a write's read-back. Each closes the port, opens it on
// the target, detects the keyer, does its work and returns a record of what
// came of it; the callers only show the records, so they send the keyer the
// same bytes.

#include <functional>
#include <optional>
#include <vector>

#include "common/app_state.h"
#include "link/commands.h"
#include "link/detect.h"
#include "link/port.h"

namespace zt {

// Called once detection is over, whatever came of it, before anything more
// goes on the line: a window shows the detection and the next stage there,
// before the wait that follows. Returning false stops the operation with
// nothing more sent.
using AfterDetection = std::function<bool(const Detection&)>;

// Test ZT: detection, then, when the keyer's firmware answered, one reading
// of its live values.
struct TestResult {
    Detection detection;
    std::optional<LiveValues> values;
};
TestResult TestKeyer(Port& port, const PortTarget& target, const KeyerIdentity& known,
                     const AfterDetection& after = {});

// How a settings transfer ended.
enum class TransferOutcome {
    Complete,
    ReadShort,         // the main block did not all arrive
    ExtensionShort,    // the extension block did not
    NotSent,           // not every byte of a write got onto the line
    LostWhileStoring,  // out in full, then the line went while the keyer stored them
};
// The link status line for it ("ZT Fail:settings read short"); empty for Complete.
const char* TransferText(TransferOutcome outcome);

struct TransferResult {
    Detection detection;
    // None when detection failed or the caller stopped after it.
    std::optional<TransferOutcome> transfer;

    bool Complete() const { return transfer == TransferOutcome::Complete; }
};

// Read ZT: main block, then extension block, after any detection that found
// something (the boot loader alone too). image changes only when every byte
// of both replies arrived.
TransferResult ReadKeyer(Port& port, const PortTarget& target, const KeyerIdentity& known,
                         SettingsImage& image, const AfterDetection& after = {});
// Write ZT: extension block, then main block, then the pause in which the
// keyer stores them, counted from when the last byte has left the wire.
// Complete only when both went out in full and the line held until the pause
// was over. image is read after `after` has returned, so it may still fill it.
TransferResult WriteKeyer(Port& port, const PortTarget& target, const KeyerIdentity& known,
                          const SettingsImage& image, const AfterDetection& after = {});

// A byte that came back other than it was written.
struct ByteDifference {
    int offset = 0;
    std::uint8_t wrote = 0;
    std::uint8_t read = 0;
};
struct ReadBack {
    TransferOutcome transfer = TransferOutcome::ReadShort;
    SettingsImage read{};                     // what came back, when it all came
    std::vector<ByteDifference> differences;  // in offset order; empty when it matched
};
// Both blocks read again, on the port a write left open, and compared with
// what was written.
ReadBack ReadBackSettings(Port& port, const SettingsImage& written);

}  // namespace zt
