// The HEX loader on arbitrary text: it must end with a count or a code,
// never read or write outside the image, and leave every slot at its own
// aligned address, whatever the records' places and lengths.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "firmware/image.h"
#include "firmware/upload.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    static zt::FirmwareImage image;
    const int result = zt::LoadImage(in, image);
    if (result < zt::kLoadBadType) __builtin_trap();
    for (int k = 0; k < zt::kImageSlots; ++k)
        if ((image[k].addressHigh << 8 | image[k].addressLow) != k * zt::kSlotWords)
            __builtin_trap();
    // What the uploader asks of a loaded image before it sends it, for the
    // sanitizers to watch.
    if (result > 0) {
        volatile bool holds = zt::HoldsProgram(image);
        (void)holds;
    }
    return 0;
}
