// The configuration file where POSIX puts it, and failures only POSIX
// devices and folders can stage.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/config_file.h"
#include "support/core_fixture.h"

namespace zt {
namespace {

using ConfigFileTest = testing::CoreTest;

// Showing a failure is the caller's (app/config_status): the core has no
// dialog manager to show it with.
TEST_F(ConfigFileTest, FailedReadAndWriteComeBackAsValues) {
    const ComPortSetting folder = LoadComPortSetting(dir.path());  // there, but cannot be read
    EXPECT_EQ(folder.status, ConfigStatus::ReadFailed);
    EXPECT_FALSE(folder.number);
    // No file: nothing is written into a device.
    EXPECT_EQ(SaveComPortSetting("/dev/full", 4), ConfigStatus::Ok);
    EXPECT_STREQ(ConfigStatusText(ConfigStatus::ReadFailed), "Read file failed.");
    EXPECT_STREQ(ConfigStatusText(ConfigStatus::WriteFailed), "CFG File SAve Failed.");
    EXPECT_EQ(ConfigStatusText(ConfigStatus::Ok), nullptr);
}

TEST_F(ConfigFileTest, DefaultLocationIsCreatedUnderTheConfigHome) {
    std::string name = DefaultConfigFileName();
    EXPECT_EQ(name, dir.path() + "/zttools/zttools.cfg");
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() + "/zttools"));
}

}  // namespace
}  // namespace zt
