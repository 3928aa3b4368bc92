#pragma once

namespace zt {
// The build stamp is the time of the source (SOURCE_DATE_EPOCH, else the last
// commit), in UTC, never the time of the build.
extern const char* const kVersionText;  // "5.3"
extern const char* const kBuildTime;    // hh:mm:ss
extern const char* const kBuildDate;    // Mmm dd yyyy, the day padded with a blank
}  // namespace zt
