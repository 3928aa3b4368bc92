#include "version/version.h"

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
const char* const kLicenceLine =
    "Licence GPL-3.0-or-later: the GNU General Public License, version 3 or later; no warranty.";

std::string VersionLine() {
    return std::string("Ver ") + kVersionText + ", Built " + kBuildTime + ", " + kBuildDate;
}

std::string VersionText(const std::string& program) {
    const std::string name = program == "zttools" ? program : program + " (zttools)";
    return name + " " + kVersionText + "\nBuilt " + kBuildTime + ", " + kBuildDate + "\n" +
           kLicenceLine;
}

}  // namespace zt
