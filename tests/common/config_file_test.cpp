#include "common/config_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

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
    const ComPortSetting setting = LoadComPortSetting(configFile);
    EXPECT_EQ(setting.status, ConfigStatus::Ok);  // Ok: nothing to show
    EXPECT_EQ(ConfigStatusText(ConfigStatus::Ok), nullptr);
    EXPECT_EQ(setting.number, 1);
    EXPECT_EQ(ReadAll(configFile), (std::vector<unsigned char>{1, 0, 0, 0}));
}

TEST_F(ConfigFileTest, ShortAndLongFilesFillTheNumberFromItsLowEnd) {
    // Each is read without a failure to show.
    struct Case {
        std::vector<unsigned char> bytes;
        std::int32_t number;
    } cases[] = {
        {{3, 0}, 3},       {{5}, 5}, {{12, 0, 0, 0, 99, 98}, 12}, {{0xfe, 0xff, 0xff, 0xff}, -2},
        {{0, 0, 0, 0}, 0},
    };
    for (const Case& c : cases) {
        WriteAll(configFile, c.bytes);
        const ComPortSetting setting = LoadComPortSetting(configFile);
        EXPECT_EQ(setting.status, ConfigStatus::Ok);
        EXPECT_EQ(setting.number, c.number);
        EXPECT_EQ(ReadAll(configFile), c.bytes);  // left as it is
    }
}

TEST_F(ConfigFileTest, UnwritableLocationKeepsPortOneInMemorySilently) {
    WriteAll(dir.path() + "/plainfile", {1});
    const std::string nowhere = dir.path() + "/plainfile/zttools.cfg";  // a file is no directory
    const ComPortSetting setting = LoadComPortSetting(nowhere);
    EXPECT_EQ(setting.status, ConfigStatus::Ok);
    EXPECT_EQ(setting.number, 1);
    EXPECT_EQ(SaveComPortSetting(nowhere, 7), ConfigStatus::Ok);
    EXPECT_FALSE(std::filesystem::exists(nowhere));
}

}  // namespace
}  // namespace zt
