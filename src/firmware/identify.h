#pragma once
// What a loaded image is for: its version and the chip variant it was built
// for, read from program word 3, and whether an attached keyer takes it.

#include <cstdint>
#include <string>

#include "firmware/image.h"

namespace zt {

// The family byte carries the variant in its range (SMT 0-49, DIP 50-99,
// AF 100-149, MINI 150-199) and the minor version as the offset in it, as
// the keyer reports its own minor byte; 200 and up names no variant.
struct ImageIdentity {
    std::uint8_t version = 0;
    std::uint8_t family = 0;
};

ImageIdentity IdentifyImage(const ImageSlot& slot0);

// The message line after a successful load, e.g.
// "ZT AF Version: 31.03 Loaded, 950 Records".
std::string LoadedText(const ImageIdentity& identity, int records);

// Whether a keyer of chipVariant may be programmed with an image of family:
// refused with the text to show, or allowed, in recovery mode when only the
// keyer's boot loader answered.
struct ImageCheck {
    std::string refusal;  // empty when the upload may go ahead
    bool recovery = false;
};
ImageCheck CheckImageForKeyer(int chipVariant, int family);

}  // namespace zt
