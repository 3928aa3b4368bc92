#include "common/config_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "common/app_state.h"
#include "support/core_fixture.h"

namespace zt {
namespace {

using ConfigFileTest = testing::CoreTest;

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

TEST(ConfigName, WithoutExeTheProgramsExtensionGivesWayToCfg) {
    EXPECT_EQ(ConfigNameFromProgramPath("C:\\Tools\\zttools.exe"), "C:\\Tools\\zttools.cfg");
    EXPECT_EQ(ConfigNameFromProgramPath("C:\\TOOLS\\ZT.EXE"), "C:\\TOOLS\\ZT.cfg");
    EXPECT_EQ(ConfigNameFromProgramPath("C:\\v1.2\\ZT"), "C:\\v1.2\\ZT.cfg");  // a dot in a folder
    EXPECT_EQ(ConfigNameFromProgramPath("/usr/bin/zttools"), "/usr/bin/zttools.cfg");
    EXPECT_EQ(ConfigNameFromProgramPath(""), "");
}

TEST_F(ConfigFileTest, MissingFileIsCreatedWithPortOneAndNoMessage) {
    EXPECT_EQ(LoadComPortSetting(), ConfigStatus::Ok);  // Ok: nothing to show
    EXPECT_EQ(ConfigStatusText(ConfigStatus::Ok), nullptr);
    EXPECT_EQ(comPortNumber, 1);
    EXPECT_EQ(ReadAll(configFileName), (std::vector<unsigned char>{1, 0, 0, 0}));
}

TEST_F(ConfigFileTest, ShortAndLongFilesFillTheNumberFromItsLowEnd) {
    // Each is read without a failure to show.
    WriteAll(configFileName, {3, 0});
    EXPECT_EQ(LoadComPortSetting(), ConfigStatus::Ok);
    EXPECT_EQ(comPortNumber, 3);

    WriteAll(configFileName, {5});
    EXPECT_EQ(LoadComPortSetting(), ConfigStatus::Ok);
    EXPECT_EQ(comPortNumber, 5);

    WriteAll(configFileName, {12, 0, 0, 0, 99, 98});
    EXPECT_EQ(LoadComPortSetting(), ConfigStatus::Ok);
    EXPECT_EQ(comPortNumber, 12);
    EXPECT_EQ(ReadAll(configFileName).size(), 6u);  // left as it is

    WriteAll(configFileName, {0xfe, 0xff, 0xff, 0xff});
    EXPECT_EQ(LoadComPortSetting(), ConfigStatus::Ok);
    EXPECT_EQ(comPortNumber, -2);
    WriteAll(configFileName, {0, 0, 0, 0});
    EXPECT_EQ(LoadComPortSetting(), ConfigStatus::Ok);
    EXPECT_EQ(comPortNumber, 0);
}

TEST_F(ConfigFileTest, UnwritableLocationKeepsPortOneInMemorySilently) {
    WriteAll(dir.path() + "/plainfile", {1});
    configFileName = dir.path() + "/plainfile/zttools.cfg";  // a file is no directory
    EXPECT_EQ(LoadComPortSetting(), ConfigStatus::Ok);
    EXPECT_EQ(comPortNumber, 1);
    comPortNumber = 7;
    EXPECT_EQ(SaveComPortSetting(), ConfigStatus::Ok);
    EXPECT_EQ(comPortNumber, 7);
}

}  // namespace
}  // namespace zt
