#pragma once
// The program's session: what its windows and flows share while it runs.
// The core keeps none of it; its functions are handed what they need.

#include <cstdint>
#include <string>

#include "common/keyer_records.h"
#include "link/port.h"

namespace zt {

struct AppState {
    SettingsImage image{};
    std::uint8_t busy = 0;         // 1 while a Test, Read or Write runs
    KeyerIdentity keyer;           // as the last detection left it
    std::uint8_t verboseMode = 0;  // set in the About box, read by the uploader
    std::string fileName;          // last settings-file path chosen (never truncated)
    // The selected COM port; any 32-bit value from the configuration file is kept.
    std::int32_t comPortNumber = 0;
    std::string configFileName;  // where it is kept; empty when there is no place for it
    // The keyer operations' waits: the full ones throughout, also while detecting.
    KeyerWaits waits;
};

extern AppState appState;

// The keyer operations' serial port: closed at the start of every one, before
// the port dialog and at Exit. The upload worker borrows it.
extern Port keyerPort;

// Where the keyer operations find the keyer: the selected COM port.
inline PortTarget KeyerTarget() {
    return {appState.comPortNumber, {}};
}

}  // namespace zt
