#include "firmware/identify.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "common/keyer_records.h"

namespace zt {

namespace {

// Word 3 holds the version and family bytes, in either order: the smaller
// one (below 100) is the version.
constexpr int kIdentityByte = 6;
constexpr int kFamilySpan = 50;
constexpr int kFamilies = 4;

struct Family {
    const char* name;
    const char* keyer;  // how the refusals name a keyer of it
    const char* image;  // and an image for it
};
// In family-byte order, which is also chip-variant order (1 SMT .. 4 MINI).
constexpr Family kFamily[kFamilies] = {
    {"SMT", "an SMT ZT", "an SMT image"},
    {"DIP", "a DIP ZT", "a DIP image"},
    {"AF", "a ZT AF", "a AF image"},
    {"MINI", "a MINI ZT", "a MINI image"},
};

// 48 and 50 trade places as stored, so that an SMT minor version of 48 and
// a DIP minor version of 0 do too.
std::uint8_t Unswap(std::uint8_t b) {
    return b == 48 ? 50 : b == 50 ? 48 : b;
}

}  // namespace

ImageIdentity IdentifyImage(const ImageSlot& slot0) {
    std::uint8_t a = Unswap(slot0.data[kIdentityByte]);
    std::uint8_t b = Unswap(slot0.data[kIdentityByte + 1]);
    if (a >= 100) std::swap(a, b);
    return {a, b};
}

std::string LoadedText(const ImageIdentity& identity, int records) {
    const int family = identity.family / kFamilySpan;
    char text[96];
    if (family >= kFamilies) {
        std::snprintf(text, sizeof text, "Unknown ZT Image Loaded, %d Records", records);
    } else {
        std::snprintf(text, sizeof text, "ZT %s Version: %d.%02d Loaded, %d Records",
                      kFamily[family].name, identity.version,
                      identity.family - family * kFamilySpan, records);
    }
    return text;
}

ImageCheck CheckImageForKeyer(int chipVariant, int family) {
    if (chipVariant == kVariantBootLoaderOnly) return {"", true};
    if (chipVariant < kVariantSmt || chipVariant > kVariantMini)
        return {"Error: Unknown Keyer IC Version !", false};
    // Everything from 150 up goes with the MINI.
    const int keyer = chipVariant - kVariantSmt;
    const int image = std::min(family / kFamilySpan, kFamilies - 1);
    if (keyer == image) return {};
    return {std::string("Error: Attempting to program ") + kFamily[keyer].keyer + " with " +
                kFamily[image].image + " !",
            false};
}

}  // namespace zt
