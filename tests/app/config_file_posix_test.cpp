// The configuration file where POSIX puts it, and failures only POSIX
// devices and folders can stage.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/startup.h"
#include "resources/ids.h"
#include "support/app_fixture.h"

namespace zt {
namespace {

using testing::AppTest;

TEST_F(AppTest, FailedReadAndWriteComeBackAsValues) {
    configFileName = dir.path();  // a directory is there but cannot be read
    EXPECT_EQ(LoadComPortSetting(), ConfigStatus::ReadFailed);
    EXPECT_EQ(comPortNumber, 0);
    configFileName = "/dev/full";  // no file: nothing is written into a device
    comPortNumber = 4;
    EXPECT_EQ(SaveComPortSetting(), ConfigStatus::Ok);
    EXPECT_EQ(comPortNumber, 4);
    EXPECT_TRUE(host().messageBoxes.empty());  // showing them is the caller's
    EXPECT_STREQ(ConfigStatusText(ConfigStatus::ReadFailed), "Read file failed.");
    EXPECT_STREQ(ConfigStatusText(ConfigStatus::WriteFailed), "CFG File SAve Failed.");
    EXPECT_EQ(ConfigStatusText(ConfigStatus::Ok), nullptr);
}

TEST_F(AppTest, StartUpShowsAnUnreadableFileAsAWarningAndRunsOnWithPortZero) {
    std::filesystem::create_directories(dir.path() + "/zttools/zttools.cfg");
    std::string label;
    host().onModal(ids::kMainDialog, [&](ui::Window& w) {
        label = ui::getText(w, ids::kPortLabel);
        ui::closeBox(w);
    });
    EXPECT_EQ(RunProgram(), 0);
    EXPECT_EQ(label, "com:0");
    ASSERT_EQ(host().messageBoxes.size(), 1u);
    EXPECT_EQ(host().messageBoxes[0].text, "Read file failed.");
    EXPECT_EQ(host().messageBoxes[0].caption, "Error");
    EXPECT_EQ(host().messageBoxes[0].icon, ui::Icon::Warning);
    EXPECT_EQ(host().messageBoxes[0].owner, nullptr);
}

TEST_F(AppTest, DefaultLocationIsCreatedUnderTheConfigHome) {
    std::string name = DefaultConfigFileName();
    EXPECT_EQ(name, dir.path() + "/zttools/zttools.cfg");
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() + "/zttools"));
}

}  // namespace
}  // namespace zt
