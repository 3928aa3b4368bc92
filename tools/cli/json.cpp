#include "cli/json.h"

#include <cstdio>

namespace zt::cli {

std::string Quote(const std::string& text) {
    std::string q = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            q += '\\';
            q += static_cast<char>(c);
        } else if (c < 0x20 || c > 0x7E) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            q += escaped;
        } else {
            q += static_cast<char>(c);
        }
    }
    return q + "\"";
}

}  // namespace zt::cli
