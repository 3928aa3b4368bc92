// Start-up with the configuration file where Windows puts it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "app/startup.h"
#include "resources/ids.h"
#include "support/app_fixture.h"
#include "support/installed_copy.h"

namespace zt {
namespace {

using testing::AppTest;
using testing::InstalledCopy;

TEST_F(AppTest, AnInstalledCopyStartsWithTheFileInTheUsersApplicationData) {
    const std::string beside = DefaultConfigFileName();
    InstalledCopy installed(dir.path());
    const std::string name = dir.path() + "\\zttools\\zttools.cfg";

    // Start-up makes it there with COM1, and nothing beside the program.
    host().onModal(ids::kMainDialog, [](ui::Window& w) { ui::closeBox(w); });
    EXPECT_EQ(RunProgram(session), 0);
    EXPECT_EQ(session.configFileName, name);
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
    EXPECT_EQ(RunProgram(session), 0);
    EXPECT_EQ(label, "com:12");
}

TEST_F(AppTest, StartUpReadsTheFileBesideTheProgram) {
    const std::string beside = DefaultConfigFileName();
    std::ofstream(beside, std::ios::binary).write("\x0c\x00\x00\x00", 4);
    std::string label;
    host().onModal(ids::kMainDialog, [&](ui::Window& w) {
        label = ui::getText(w, ids::kPortLabel);
        ui::closeBox(w);
    });
    EXPECT_EQ(RunProgram(session), 0);
    EXPECT_EQ(session.configFileName, beside);
    EXPECT_EQ(label, "com:12");
    EXPECT_TRUE(host().messageBoxes.empty());
}

}  // namespace
}  // namespace zt
