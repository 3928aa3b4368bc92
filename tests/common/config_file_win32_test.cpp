// The configuration file where Windows puts it, and a read that fails.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "common/config_file.h"
#include "support/core_fixture.h"
#include "support/installed_copy.h"
#include "system/paths.h"

namespace zt {
namespace {

using ConfigFileTest = testing::CoreTest;
using testing::InstalledCopy;
using testing::ProgramFolder;

// Holds a lock on a file's first bytes, so that opening it works and every
// read of those bytes fails.
class LockedFile {
  public:
    explicit LockedFile(const std::string& path) {
        handle_ = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
        OVERLAPPED at{};
        locked_ =
            handle_ != INVALID_HANDLE_VALUE &&
            LockFileEx(handle_, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 16, 0, &at);
    }
    ~LockedFile() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    bool locked() const { return locked_; }

  private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    bool locked_ = false;
};

TEST(ConfigPlace, ACopyOfItsOwnKeepsItBesideTheProgramNamedAfterIt) {
    const std::string program = ProgramPath();
    ASSERT_GT(program.size(), 4u);
    EXPECT_EQ(program.substr(program.size() - 19), "zt_common_tests.exe");
    EXPECT_TRUE(ConfigBesideProgram());
    EXPECT_EQ(DefaultConfigFileName(), program.substr(0, program.size() - 3) + "cfg");
    EXPECT_EQ(DesktopConfigFileName(), ProgramFolder() + "\\zttools.cfg");
    EXPECT_EQ(ConfigDir(), ProgramFolder());
}

TEST_F(ConfigFileTest, AnInstalledCopyKeepsItInTheUsersApplicationData) {
    InstalledCopy installed(dir.path());
    EXPECT_FALSE(ConfigBesideProgram());
    EXPECT_EQ(ConfigDir(), dir.path() + "\\zttools");
    const std::string name = dir.path() + "\\zttools\\zttools.cfg";
    EXPECT_EQ(DefaultConfigFileName(), name);
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() + "\\zttools"));
    EXPECT_EQ(DesktopConfigFileName(), name);  // ztcli.exe reads the same file
}

TEST(ConfigPlace, WithoutAppDataTheShellNamesTheFolder) {
    InstalledCopy installed("");  // "APPDATA=" takes the variable away
    ASSERT_EQ(std::getenv("APPDATA"), nullptr);
    const std::string dir = ConfigDir();
    ASSERT_GT(dir.size(), 10u) << dir;
    EXPECT_EQ(dir.substr(1, 2), ":\\") << dir;
    EXPECT_EQ(dir.substr(dir.size() - 8), "\\zttools") << dir;
    EXPECT_NE(dir, ProgramFolder());
}

// Wine leaves byte-range locks to the reader's good will: this needs Windows.
bool UnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

TEST_F(ConfigFileTest, ALockedFileFailsToReadAndGivesNoNumber) {
    if (UnderWine()) GTEST_SKIP() << "Wine does not refuse reads of locked bytes";
    std::ofstream(configFile, std::ios::binary) << "\x05\x00\x00\x00";
    {
        LockedFile lock(configFile);
        ASSERT_TRUE(lock.locked());
        const ComPortSetting locked = LoadComPortSetting(configFile);
        EXPECT_EQ(locked.status, ConfigStatus::ReadFailed);
        EXPECT_FALSE(locked.number);
    }
    EXPECT_EQ(LoadComPortSetting(configFile).number, 5);
}

}  // namespace
}  // namespace zt
