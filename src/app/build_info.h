#pragma once

namespace zt {
extern const char* const kVersionText;  // "5.3"
extern const char* const kBuildTime;    // hh:mm:ss
extern const char* const kBuildDate;    // Mmm dd yyyy
}  // namespace zt
