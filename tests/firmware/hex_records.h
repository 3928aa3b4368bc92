#pragma once
// Intel HEX lines with their checksums, as any HEX writer makes them.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace zt::testing {

inline std::string Record(int type, int address, const std::vector<std::uint8_t>& data) {
    std::string line = ":";
    char hex[3];
    int sum = 0;
    auto put = [&](int b) {
        std::snprintf(hex, sizeof hex, "%02X", b & 0xFF);
        line += hex;
        sum += b;
    };
    put(static_cast<int>(data.size()));
    put(address >> 8);
    put(address);
    put(type);
    for (std::uint8_t b : data) put(b);
    put(-sum);
    return line;
}

inline const std::string kEndRecord = ":00000001FF";

}  // namespace zt::testing
