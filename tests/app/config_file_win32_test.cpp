// The configuration file where Windows puts it, and a read that fails.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "app/startup.h"
#include "resources/ids.h"
#include "support/app_fixture.h"
#include "system/paths.h"

namespace zt {
namespace {

using testing::AppTest;

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

std::string ProgramFolder() {
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

  private:
    std::string mark_;
    std::string oldAppData_;
};

TEST(ConfigPlace, ACopyOfItsOwnKeepsItBesideTheProgramNamedAfterIt) {
    const std::string program = ProgramPath();
    ASSERT_GT(program.size(), 4u);
    EXPECT_EQ(program.substr(program.size() - 16), "zt_app_tests.exe");
    EXPECT_TRUE(ConfigBesideProgram());
    EXPECT_EQ(DefaultConfigFileName(), program.substr(0, program.size() - 3) + "cfg");
    EXPECT_EQ(DesktopConfigFileName(), ProgramFolder() + "\\zttools.cfg");
    EXPECT_EQ(ConfigDir(), ProgramFolder());
}

TEST_F(AppTest, AnInstalledCopyKeepsItInTheUsersApplicationData) {
    const std::string beside = DefaultConfigFileName();
    InstalledCopy installed(dir.path());
    EXPECT_FALSE(ConfigBesideProgram());
    EXPECT_EQ(ConfigDir(), dir.path() + "\\zttools");
    const std::string name = dir.path() + "\\zttools\\zttools.cfg";
    EXPECT_EQ(DefaultConfigFileName(), name);
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() + "\\zttools"));
    EXPECT_EQ(DesktopConfigFileName(), name);  // ztcli.exe reads the same file

    // Start-up makes it there with COM1, and nothing beside the program.
    host().onModal(ids::kMainDialog, [](ui::Window& w) { ui::closeBox(w); });
    EXPECT_EQ(RunProgram(), 0);
    EXPECT_EQ(configFileName, name);
    std::ifstream made(name, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(made), {}), std::string("\x01\0\0\0", 4));
    EXPECT_FALSE(std::filesystem::exists(beside));

    // And the next start reads it.
    std::ofstream(name, std::ios::binary | std::ios::trunc).write("\x0c\x00\x00\x00", 4);
    std::string label;
    host().onModal(ids::kMainDialog, [&](ui::Window& w) {
        label = ui::getText(w, ids::kPortLabel);
        ui::closeBox(w);
    });
    EXPECT_EQ(RunProgram(), 0);
    EXPECT_EQ(label, "com:12");
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

TEST_F(AppTest, ALockedFileFailsToReadAndKeepsTheNumber) {
    if (UnderWine()) GTEST_SKIP() << "Wine does not refuse reads of locked bytes";
    std::ofstream(configFileName, std::ios::binary) << "\x05\x00\x00\x00";
    comPortNumber = 0;
    {
        LockedFile lock(configFileName);
        ASSERT_TRUE(lock.locked());
        EXPECT_EQ(LoadComPortSetting(), ConfigStatus::ReadFailed);
        EXPECT_EQ(comPortNumber, 0);
    }
    EXPECT_EQ(LoadComPortSetting(), ConfigStatus::Ok);
    EXPECT_EQ(comPortNumber, 5);
}

TEST_F(AppTest, StartUpReadsTheFileBesideTheProgram) {
    const std::string beside = DefaultConfigFileName();
    std::ofstream(beside, std::ios::binary).write("\x0c\x00\x00\x00", 4);
    std::string label;
    host().onModal(ids::kMainDialog, [&](ui::Window& w) {
        label = ui::getText(w, ids::kPortLabel);
        ui::closeBox(w);
    });
    EXPECT_EQ(RunProgram(), 0);
    EXPECT_EQ(configFileName, beside);
    EXPECT_EQ(label, "com:12");
    EXPECT_TRUE(host().messageBoxes.empty());
}

}  // namespace
}  // namespace zt
