#pragma once
// The shared records every subsystem may read: one global AppState with the
// keyer identity left by the last detection, and the configured COM port.
// Whether the serial port is open is the port's own business (link/port.h).

#include <array>
#include <cstdint>
#include <string>

namespace zt {

constexpr int kSettingsImageSize = 300;
constexpr int kMainBlockSize = 288;      // bytes 0..287, exchanged with 00 0C / 00 0D
constexpr int kExtensionBlockSize = 12;  // bytes 288..299, exchanged with 00 1A / 00 1B

using SettingsImage = std::array<std::uint8_t, kSettingsImageSize>;

// Chip variants as the keyer reports them; 5 means only the boot loader answered.
enum ChipVariant : std::uint8_t {
    kVariantUnknown = 0,
    kVariantSmt = 1,
    kVariantDip = 2,
    kVariantAf = 3,
    kVariantMini = 4,
    kVariantBootLoaderOnly = 5,
};

// What a detection found out about the keyer; all 0 at start.
struct KeyerIdentity {
    std::uint8_t chipVariant = 0;  // see ChipVariant; other values mean unknown
    std::uint8_t firmwareMajor = 0;
    std::uint8_t firmwareMinor = 0;  // carries the variant offset (SMT 0, DIP 50, AF 100, MINI 150)
};

struct AppState {
    SettingsImage image{};
    std::uint8_t busy = 0;         // 1 while a Test, Read or Write runs
    KeyerIdentity keyer;           // as the last detection left it
    std::uint8_t verboseMode = 0;  // set in the About box, read by the uploader
    std::string fileName;          // last settings-file path chosen (never truncated)
};

extern AppState appState;

// The selected COM port number; any 32-bit value from the configuration file is kept.
extern std::int32_t comPortNumber;

// Puts every shared record back to its start value (tests start from a clean program).
void ResetSharedState();

}  // namespace zt
