#include "settings/image.h"

namespace zt {

namespace {

constexpr int kUserSettingsSize = 16;
constexpr int kUserExtensionSize = 6;
constexpr int kExtensionStart = kMainBlockSize;
constexpr std::uint8_t kLetterSpaceMask = 0x1F;

bool InExtension(int offset) {
    return offset >= kExtensionStart;
}

}  // namespace

const FieldLayout kFieldLayout[kFieldCount] = {
    {Field::ModeRegister, 0, 0},
    {Field::FavoriteWpm, 1, 15},
    {Field::SidetoneCode, 2, 78},
    {Field::Weight, 3, 50},
    {Field::PttLeadIn, 4, 0},
    {Field::PttTail, 5, 0},
    {Field::PotMinWpm, 6, 5},
    {Field::PotRangeWpm, 7, 30},
    {Field::FirstExtension, 8, 0},
    {Field::KeyCompensation, 9, 0},
    {Field::FarnsworthWpm, 10, 0},
    {Field::PaddleSample, 11, 50},
    {Field::Ratio, 12, 50},
    {Field::OutputRegister, 13, 7},
    {Field::AuxRegister, 14, 0},
    {Field::CommandWpm, 15, 15},
    {Field::ExtensionRegister, kExtensionStart + 0, 0},
    {Field::RttyRegister1, kExtensionStart + 1, 0},
    {Field::RttyRegister2, kExtensionStart + 2, 0},
    {Field::SidetoneVolume, kExtensionStart + 3, 4},
    {Field::SerialHigh, kExtensionStart + 4, 0},
    {Field::SerialLow, kExtensionStart + 5, 0},
};

int FieldOffset(User user, Field field) {
    const int offset = kFieldLayout[static_cast<int>(field)].offset;
    if (user == User::One) return offset;
    return offset + (InExtension(offset) ? kUserExtensionSize : kUserSettingsSize);
}

std::uint8_t& At(SettingsImage& image, User user, Field field) {
    return image[FieldOffset(user, field)];
}

std::uint8_t At(const SettingsImage& image, User user, Field field) {
    return image[FieldOffset(user, field)];
}

void SetSelectionBit(SettingsImage& image, std::uint8_t bit, bool on) {
    std::uint8_t& aux = At(image, User::One, Field::AuxRegister);
    aux = on ? aux | bit : aux & ~bit;
}

void LoadDefaults(SettingsImage& image) {
    for (User user : {User::One, User::Two})
        for (const FieldLayout& f : kFieldLayout) At(image, user, f.field) = f.defaultValue;
}

std::uint32_t SidetoneHz(std::uint8_t code) {
    return code == 0 ? 0 : kSidetoneDividend / code;
}

std::uint8_t SidetoneCode(std::uint32_t hz) {
    return static_cast<std::uint8_t>(kSidetoneDividend / hz);
}

std::uint32_t SerialNumber(const SettingsImage& image, User user) {
    return At(image, user, Field::SerialHigh) * 256u + At(image, user, Field::SerialLow) + 1;
}

void SetSerialNumber(SettingsImage& image, User user, std::uint32_t n) {
    At(image, user, Field::SerialHigh) = static_cast<std::uint8_t>((n - 1) / 256);
    At(image, user, Field::SerialLow) = static_cast<std::uint8_t>((n - 1) % 256);
}

std::uint32_t PotMaxWpm(const SettingsImage& image, User user) {
    return std::uint32_t(At(image, user, Field::PotMinWpm)) + At(image, user, Field::PotRangeWpm);
}

void SetPotRange(SettingsImage& image, User user, std::uint32_t minWpm, std::uint32_t maxWpm) {
    At(image, user, Field::PotMinWpm) = static_cast<std::uint8_t>(minWpm);
    At(image, user, Field::PotRangeWpm) = static_cast<std::uint8_t>(maxWpm - minWpm);
}

std::uint8_t LetterSpace(const SettingsImage& image, User user) {
    return At(image, user, Field::AuxRegister) & kLetterSpaceMask;
}

void SetLetterSpace(SettingsImage& image, User user, std::uint8_t value) {
    std::uint8_t& aux = At(image, user, Field::AuxRegister);
    aux = static_cast<std::uint8_t>((aux & ~kLetterSpaceMask) | (value & kLetterSpaceMask));
}

}  // namespace zt
