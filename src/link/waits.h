#pragma once
// The waits of the keyer operations, in ms, which every operation takes as a
// value, so that each call stands alone; tests shorten them.

#include <algorithm>

namespace zt {

// The port's bounds on one transfer.
struct PortWaits {
    int writeMs = 2000;        // Write gives up after this
    int readMs = 4000;         // Read gives up after this
    int readTimeoutMs = 4500;  // the port itself keeps taking a short read's bytes until this
    int settleMs = 100;        // pause between configuring and purging
};

// A keyer's first reply comes within tens of milliseconds at 1200 baud: while
// it is looked for, the read and write waits are cut to this, so that a silent
// port, or one its flow control holds, is done with in a fraction of a second.
constexpr int kAnswerWaitMs = 300;
constexpr PortWaits ProbeWaits(PortWaits waits = {}) {
    waits.readMs = std::min(waits.readMs, kAnswerWaitMs);
    waits.readTimeoutMs = std::min(waits.readTimeoutMs, waits.readMs + 50);
    waits.writeMs = std::min(waits.writeMs, kAnswerWaitMs);
    return waits;
}

// Around the upload's speed changes: the last byte at the old speed reaches
// the keyer, and the keyer switches, before the port does.
struct UploadWaits {
    int beforeFast = 200;    // after 35, before the port goes to 9600
    int afterRestart = 500;  // after 5A, before the port goes back to 1200
    int afterSlow = 100;     // after the port is back at 1200: the firmware starts up
};

// Everything one operation waits for: detection's waits while the keyer is
// looked for, the full ones after (as they stand, the window's: full throughout).
struct KeyerWaits {
    PortWaits detection;
    PortWaits full;
    int storeMs = 3000;  // the keyer stores written settings; nothing may follow meanwhile
    UploadWaits upload;
};

// The same waits, with detection given only the time a keyer takes to answer.
constexpr KeyerWaits ShortDetection(KeyerWaits waits = {}) {
    waits.detection = ProbeWaits(waits.full);
    return waits;
}

}  // namespace zt
