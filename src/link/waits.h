#pragma once
// The waits of the keyer operations, in ms: the port's bound on each
// transfer, and the pauses the keyer needs. Every operation takes them as a
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

// How long a keyer gets for each one-byte reply while being looked for: its
// first reply arrives within tens of milliseconds at 1200 baud, so a silent
// port is done with in a fraction of a second instead of the full read wait.
constexpr int kAnswerWaitMs = 300;

// waits with the read wait cut to kAnswerWaitMs; the write wait too, so that
// a line held by its flow control does not keep the search.
constexpr PortWaits ProbeWaits(PortWaits waits = {}) {
    waits.readMs = std::min(waits.readMs, kAnswerWaitMs);
    waits.readTimeoutMs = std::min(waits.readTimeoutMs, waits.readMs + 50);
    waits.writeMs = std::min(waits.writeMs, kAnswerWaitMs);
    return waits;
}

// Around the upload's speed changes: each lets the last byte at the old speed
// reach the keyer, and the keyer switch, before the port does.
struct UploadWaits {
    int beforeFast = 200;    // after 35, before the port goes to 9600
    int afterRestart = 500;  // after 5A, before the port goes back to 1200
    int afterSlow = 100;     // after the port is back at 1200: the firmware starts up
};

// Everything one operation waits for. Detection's waits hold while the keyer
// is looked for, the full ones once it answered. As they stand, detection
// gets the full waits too, as the window gives it.
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
