#pragma once
// Just enough JSON for ztcli's output: quoted strings.

#include <string>

namespace zt::cli {

// text as a JSON string literal; control characters and anything above 126
// are escaped, so the result is plain printable ASCII.
std::string Quote(const std::string& text);

}  // namespace zt::cli
