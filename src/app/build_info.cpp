#include "app/build_info.h"

#ifndef ZT_VERSION
#define ZT_VERSION "5.3"
#endif

namespace zt {
const char* const kVersionText = ZT_VERSION;
const char* const kBuildTime = __TIME__;
const char* const kBuildDate = __DATE__;
}  // namespace zt
