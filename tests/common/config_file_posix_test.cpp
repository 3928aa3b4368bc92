// The configuration file where POSIX puts it, and failures only POSIX
// devices and folders can stage.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/app_state.h"
#include "common/config_file.h"
#include "support/core_fixture.h"

namespace zt {
namespace {

using ConfigFileTest = testing::CoreTest;

// Showing a failure is the caller's (app/config_status): the core has no
// dialog manager to show it with.
TEST_F(ConfigFileTest, FailedReadAndWriteComeBackAsValues) {
    configFileName = dir.path();  // a directory is there but cannot be read
    EXPECT_EQ(LoadComPortSetting(), ConfigStatus::ReadFailed);
    EXPECT_EQ(comPortNumber, 0);
    configFileName = "/dev/full";  // no file: nothing is written into a device
    comPortNumber = 4;
    EXPECT_EQ(SaveComPortSetting(), ConfigStatus::Ok);
    EXPECT_EQ(comPortNumber, 4);
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
