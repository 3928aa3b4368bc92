#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "app/startup.h"
#include "resources/ids.h"
#include "support/app_fixture.h"

namespace zt {
namespace {

using testing::AppTest;

std::vector<unsigned char> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteAll(const std::string& path, std::vector<unsigned char> bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

TEST(ConfigName, FirstLowerCaseExeBecomesCfgAndEndsThePath) {
    EXPECT_EQ(ConfigNameFromExePath("C:\\Tools\\VI3vovad.exe"), "C:\\Tools\\VI3vovad.cfg");
    EXPECT_EQ(ConfigNameFromExePath("C:\\exes\\VI3vovad.exe"), "C:\\cfg");
    EXPECT_EQ(ConfigNameFromExePath("C:\\TOOLS\\ZT.EXE"), "");
    std::string longPath(600, 'a');
    EXPECT_EQ(ConfigNameFromExePath(longPath + ".exe"), longPath + ".cfg");  // never truncated
}

TEST_F(AppTest, MissingFileIsCreatedWithPortOneAndNoMessage) {
    EXPECT_EQ(LoadComPortSetting(), ConfigStatus::Ok);
    EXPECT_EQ(comPortNumber, 1);
    EXPECT_EQ(ReadAll(configFileName), (std::vector<unsigned char>{1, 0, 0, 0}));
    EXPECT_TRUE(host().messageBoxes.empty());
}

TEST_F(AppTest, ShortAndLongFilesFillTheNumberFromItsLowEnd) {
    WriteAll(configFileName, {3, 0});
    LoadComPortSetting();
    EXPECT_EQ(comPortNumber, 3);

    WriteAll(configFileName, {5});
    LoadComPortSetting();
    EXPECT_EQ(comPortNumber, 5);

    WriteAll(configFileName, {12, 0, 0, 0, 99, 98});
    LoadComPortSetting();
    EXPECT_EQ(comPortNumber, 12);
    EXPECT_EQ(ReadAll(configFileName).size(), 6u);  // left as it is

    WriteAll(configFileName, {0xfe, 0xff, 0xff, 0xff});
    LoadComPortSetting();
    EXPECT_EQ(comPortNumber, -2);
    WriteAll(configFileName, {0, 0, 0, 0});
    LoadComPortSetting();
    EXPECT_EQ(comPortNumber, 0);
    EXPECT_TRUE(host().messageBoxes.empty());
}

TEST_F(AppTest, UnwritableLocationKeepsPortOneInMemorySilently) {
    WriteAll(dir.path() + "/plainfile", {1});
    configFileName = dir.path() + "/plainfile/zttools.cfg";  // a file is no directory
    EXPECT_EQ(LoadComPortSetting(), ConfigStatus::Ok);
    EXPECT_EQ(comPortNumber, 1);
    comPortNumber = 7;
    EXPECT_EQ(SaveComPortSetting(), ConfigStatus::Ok);
    EXPECT_EQ(comPortNumber, 7);
}

TEST_F(AppTest, FailedReadAndWriteComeBackAsValues) {
    configFileName = dir.path();  // a directory opens but cannot be read
    EXPECT_EQ(LoadComPortSetting(), ConfigStatus::ReadFailed);
    EXPECT_EQ(comPortNumber, 0);
    configFileName = "/dev/full";  // opens for writing, every write fails
    comPortNumber = 4;
    EXPECT_EQ(SaveComPortSetting(), ConfigStatus::WriteFailed);
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
