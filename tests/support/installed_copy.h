#pragma once
// Windows only: the test program as an installed copy would be, for the
// tests of where the configuration file goes.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "system/paths.h"

namespace zt::testing {

inline std::string ProgramFolder() {
    const std::string program = ProgramPath();
    return program.substr(0, program.find_last_of('\\'));
}

// The installer's mark beside the test program, and APPDATA pointing at a
// folder of the test's, for as long as this lives.
class InstalledCopy {
  public:
    explicit InstalledCopy(const std::string& appData)
        : mark_(ProgramFolder() + "\\" + kInstalledMarker) {
        const char* old = std::getenv("APPDATA");
        oldAppData_ = old ? old : "";
        _putenv(("APPDATA=" + appData).c_str());
        std::ofstream(mark_) << "installed\n";
    }
    ~InstalledCopy() {
        std::filesystem::remove(mark_);
        _putenv(("APPDATA=" + oldAppData_).c_str());
    }
    InstalledCopy(const InstalledCopy&) = delete;
    InstalledCopy& operator=(const InstalledCopy&) = delete;

  private:
    std::string mark_;
    std::string oldAppData_;
};

}  // namespace zt::testing
