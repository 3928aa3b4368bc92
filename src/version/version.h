#pragma once
// The build's identity, the same in every program: the version, the build
// stamp and the licence. The stamp is the time of the source
// (SOURCE_DATE_EPOCH, else the last commit), in UTC, never the time of the
// build, so two builds of one source say the same.

#include <string>

namespace zt {

extern const char* const kVersionText;  // "5.3"
extern const char* const kBuildTime;    // hh:mm:ss
extern const char* const kBuildDate;    // Mmm dd yyyy, the day padded with a blank
extern const char* const kLicenceLine;  // GPL-3.0-or-later, in words

// The About box's line: "Ver 5.3, Built hh:mm:ss, Mmm dd yyyy".
std::string VersionLine();
// What `PROGRAM --version` prints: "ztcli (zttools) 5.3", the build stamp
// and the licence, one line each (no line end after the last).
std::string VersionText(const std::string& program);

}  // namespace zt
