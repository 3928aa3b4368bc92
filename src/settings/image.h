#pragma once
// The settings image's field layout: where each user's fields live, their
// defaults, and the conversions between stored bytes and shown values. Every
// other part of the program reaches a per-user field through At().

#include <cstdint>

#include "common/app_state.h"

namespace zt {

enum class User { One, Two };

// Per-user fields: the 16-byte settings block (0 / 16) and the 6-byte
// extension block (288 / 294).
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
constexpr int kFieldCount = 22;

struct FieldLayout {
    Field field;
    int offset;  // in User 1's blocks; User 2's lie 16 (settings) or 6 (extension) further
    std::uint8_t defaultValue;
};
extern const FieldLayout kFieldLayout[kFieldCount];

// The image offset of a user's field.
int FieldOffset(User user, Field field);
std::uint8_t& At(SettingsImage& image, User user, Field field);
std::uint8_t At(const SettingsImage& image, User user, Field field);

// Which user and bank the keyer starts with, kept in User 1's aux register
// whatever user is being edited.
constexpr std::uint8_t kSelectedUserBit = 0x80;
constexpr std::uint8_t kSelectedBankBit = 0x40;
void SetSelectionBit(SettingsImage& image, std::uint8_t bit, bool on);

// Both users' blocks get their defaults; the messages are left alone.
void LoadDefaults(SettingsImage& image);

// ---- Conversions ----
constexpr std::uint32_t kSidetoneDividend = 62500;
// The shown frequency; 0 for a code of 0, which has none.
std::uint32_t SidetoneHz(std::uint8_t code);
std::uint8_t SidetoneCode(std::uint32_t hz);  // hz 500..4000

std::uint32_t SerialNumber(const SettingsImage& image, User user);       // 1..65536
void SetSerialNumber(SettingsImage& image, User user, std::uint32_t n);  // n 1..9999

std::uint32_t PotMaxWpm(const SettingsImage& image, User user);  // minimum + range
void SetPotRange(SettingsImage& image, User user, std::uint32_t minWpm, std::uint32_t maxWpm);

std::uint8_t LetterSpace(const SettingsImage& image, User user);
void SetLetterSpace(SettingsImage& image, User user, std::uint8_t value);  // bits 7-5 kept

}  // namespace zt
