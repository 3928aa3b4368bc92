#pragma once
// The records the subsystems share: the settings image and what a detection
// finds out about the keyer. Only types: the core keeps no state of its own;
// the program's session (app/session.h) holds the values, and the core's
// functions are handed what they need.

#include <array>
#include <cstdint>

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

}  // namespace zt
