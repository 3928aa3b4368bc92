// The HEX loader on arbitrary text: it must end with a count or a code,
// never read or write outside the image.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "firmware/image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    static zt::FirmwareImage image;
    zt::LoadImage(in, image);
    return 0;
}
