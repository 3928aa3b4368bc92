#include "app/build_info.h"

// ZT_BUILD_TIME and ZT_BUILD_DATE: the source's date (cmake/BuildStamp.cmake),
// so that every build of one source carries the same stamp.
#include "build_stamp.h"

#ifndef ZT_VERSION
#define ZT_VERSION "5.3"
#endif

namespace zt {
const char* const kVersionText = ZT_VERSION;
const char* const kBuildTime = ZT_BUILD_TIME;
const char* const kBuildDate = ZT_BUILD_DATE;
}  // namespace zt
