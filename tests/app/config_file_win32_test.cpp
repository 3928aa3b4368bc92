// The configuration file where Windows puts it, and a read that fails.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "app/startup.h"
#include "platform/paths.h"
#include "resources/ids.h"
#include "support/app_fixture.h"

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

TEST(ConfigPlace, BesideTheProgramNamedAfterIt) {
    const std::string program = ProgramPath();
    ASSERT_GT(program.size(), 4u);
    EXPECT_EQ(program.substr(program.size() - 16), "zt_app_tests.exe");
    EXPECT_EQ(DefaultConfigFileName(), program.substr(0, program.size() - 3) + "cfg");
    EXPECT_EQ(ConfigDir(), program.substr(0, program.find_last_of('\\')));
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
