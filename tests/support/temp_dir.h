#pragma once
// Folders for tests to write into, on any system.

#include <filesystem>
#include <random>
#include <string>

namespace zt::testing {

// A new folder in the system's temporary folder, removed with everything in it.
class TempDir {
  public:
    TempDir() {
        std::random_device random;
        const auto base = std::filesystem::temp_directory_path();
        // create_directory is false when the name is taken: another one then.
        do {
            path_ = (base / ("zttest-" + std::to_string(random()))).string();
        } while (!std::filesystem::create_directory(path_));
    }
    ~TempDir() { std::filesystem::remove_all(path_); }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

}  // namespace zt::testing
