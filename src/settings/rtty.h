#pragma once
// The two RTTY registers of each user: which bit every control of the RTTY
// set-up stands for. Window-free, so the command line names them the same way.

#include <cstdint>

namespace zt {

// Register 1's check boxes; bit 3 belongs to none and is written as 0.
struct RttyBox {
    int control;
    std::uint8_t mask;
    const char* key;  // the command line's name for it
};
constexpr int kRttyBoxCount = 5;
extern const RttyBox kRttyBoxes[kRttyBoxCount];

// Register 1's bits 1-0: the Baud Rate list's index.
constexpr std::uint8_t kRttyBaudBits = 0x03;
extern const char* const kRttyBaudNames[4];

// Register 2's two-entry lists: the bit is set unless the first entry is selected.
struct RttyList {
    int control;
    std::uint8_t mask;
    const char* entries[2];
    const char* key;
};
constexpr int kRttyListCount = 3;
extern const RttyList kRttyLists[kRttyListCount];

}  // namespace zt
