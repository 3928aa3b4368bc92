#pragma once
// The keyer operations as the window's buttons and ztcli run them: Test,
// Read and Write, and a write's read-back. Each closes the port, opens it on
// the target, detects the keyer with detection's waits, does its work with
// the full ones and returns a record of what came of it; the callers only
// show the records, so they send the keyer the same bytes. A call uses
// nothing but its port and its arguments, so calls on several ports may run
// side by side.

#include <functional>
#include <optional>
#include <vector>

#include "common/keyer_records.h"
#include "link/commands.h"
#include "link/detect.h"
#include "link/port.h"

namespace zt {

// Called when detection has found a keyer the operation goes on with, before
// anything more goes on the line (a window shows the stage before the wait
// that follows); false stops it there. A detection that ends the operation
// is only in its result.
using AfterDetection = std::function<bool(const Detection&)>;

// Closes the port, opens it on target and detects the keyer with detection's
// waits; the port keeps the full ones afterwards. What every operation, and
// the upload's checks, begin with.
Detection DetectAnew(Port& port, const PortTarget& target, const KeyerIdentity& known,
                     const KeyerWaits& waits);

// Test ZT: detection, then, when the keyer's firmware answered, one reading
// of its live values.
struct TestResult {
    Detection detection;
    std::optional<LiveValues> values;
};
TestResult TestKeyer(Port& port, const PortTarget& target, const KeyerIdentity& known,
                     const KeyerWaits& waits, const AfterDetection& after = {});

// How a settings transfer ended.
enum class TransferOutcome {
    Complete,
    ReadShort,           // the main block did not all arrive
    ExtensionShort,      // the extension block did not
    NotSent,             // not every byte of a write got onto the line
    LostWhileStoring,    // out in full, then the line went while the keyer stored them
    BootLoaderOnly,      // nothing sent: only the keyer's boot loader answered
    NoSettingsCommands,  // nothing sent: the firmware has none (before 31)
};
// Its text: the link status line ("ZT Fail:settings read short"), or for the
// two that sent nothing, what ztcli says; empty for Complete.
const char* TransferText(TransferOutcome outcome);

// Why a keyer that answered has no settings to transfer: only its boot
// loader answered, or its firmware has no settings commands; none when it has
// them, or when nothing answered.
std::optional<TransferOutcome> SettingsRefusal(const Detection& d);

struct TransferResult {
    Detection detection;
    // None when detection failed or the caller stopped after it.
    std::optional<TransferOutcome> transfer;

    bool Complete() const { return transfer == TransferOutcome::Complete; }
};

// Which keyers a settings transfer goes on with after detection: ztcli's,
// only one whose firmware has the settings commands; the window's, any that
// answered, its boot loader alone too, as its Read ZT and Write ZT always
// have (they are offered only from firmware 31, so such a keyer was swapped
// since its Test).
enum class TransferTo { SettingsCommands, AnyAnswer };

// Read ZT: main block, then extension block. image changes only when every
// byte of both replies arrived.
TransferResult ReadKeyer(Port& port, const PortTarget& target, const KeyerIdentity& known,
                         const KeyerWaits& waits, SettingsImage& image,
                         const AfterDetection& after = {},
                         TransferTo to = TransferTo::SettingsCommands);
// Write ZT: extension block, then main block, then the pause in which the
// keyer stores them, counted from when the last byte has left the wire.
// Complete only when both went out in full and the line held until the pause
// was over. image is read after `after` has returned, so it may still fill it.
TransferResult WriteKeyer(Port& port, const PortTarget& target, const KeyerIdentity& known,
                          const KeyerWaits& waits, const SettingsImage& image,
                          const AfterDetection& after = {},
                          TransferTo to = TransferTo::SettingsCommands);

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
// Both blocks read again with the full waits, on the port a write left open,
// and compared with what was written.
ReadBack ReadBackSettings(Port& port, const KeyerWaits& waits, const SettingsImage& written);

}  // namespace zt
