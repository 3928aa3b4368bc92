#pragma once
// The settings image's per-user fields and where each lives. Every other
// part of the program reaches a per-user field through At(); what the fields
// mean, their shown values, bounds and defaults, is the schema's
// (settings/schema.h).

#include <cstdint>

#include "common/keyer_records.h"

namespace zt {

enum class User { One, Two };
inline constexpr User kUsers[] = {User::One, User::Two};

// Per-user fields in image order: the 16-byte settings block (image offset 0
// for User 1, 16 for User 2), then the 6-byte extension block (288, 294).
enum class Field : std::uint8_t {
    ModeRegister,
    FavoriteWpm,
    SidetoneCode,
    Weight,
    PttLeadIn,
    PttTail,
    PotMinWpm,
    PotRangeWpm,
    FirstExtension,
    KeyCompensation,
    FarnsworthWpm,
    PaddleSample,
    Ratio,
    OutputRegister,
    AuxRegister,
    CommandWpm,
    ExtensionRegister,
    RttyRegister1,
    RttyRegister2,
    SidetoneVolume,
    SerialHigh,
    SerialLow,
};
constexpr int kUserSettingsSize = 16;
constexpr int kUserExtensionSize = 6;
constexpr int kFieldCount = kUserSettingsSize + kUserExtensionSize;
// The offsets follow from the enum's order, so a field added out of place
// shows here.
static_assert(static_cast<int>(Field::ExtensionRegister) == kUserSettingsSize);
static_assert(static_cast<int>(Field::SerialLow) + 1 == kFieldCount);

constexpr bool InExtension(Field field) {
    return static_cast<int>(field) >= kUserSettingsSize;
}

// The image offset of a user's field.
constexpr int FieldOffset(User user, Field field) {
    const int k = static_cast<int>(field);
    const bool two = user == User::Two;
    if (!InExtension(field)) return k + (two ? kUserSettingsSize : 0);
    return kMainBlockSize + k - kUserSettingsSize + (two ? kUserExtensionSize : 0);
}
static_assert(FieldOffset(User::Two, Field::CommandWpm) == 31);
static_assert(FieldOffset(User::Two, Field::SerialLow) == kSettingsImageSize - 1);

inline std::uint8_t& At(SettingsImage& image, User user, Field field) {
    return image[FieldOffset(user, field)];
}
inline std::uint8_t At(const SettingsImage& image, User user, Field field) {
    return image[FieldOffset(user, field)];
}

}  // namespace zt
