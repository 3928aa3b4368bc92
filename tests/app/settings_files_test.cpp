#include "app/settings_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "resources/ids.h"
#include "settings/schema.h"
#include "settings_files_fixture.h"

namespace zt {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;
using testing::Pattern;
using testing::ReadAll;
using testing::SettingsFiles;
using testing::WriteAll;

TEST_F(SettingsFiles, ASavedFileLoadsBackIdenticalThroughTheDialogs) {
    const Bytes image = Pattern(300);
    std::copy(image.begin(), image.end(), session.image.begin());
    const std::string path = dir.path() + "/keyer.eep";
    WriteAll(path, Bytes(10, 0xEE));  // replaced without asking
    EXPECT_EQ(run(SaveSettingsFile, path), "ok");
    EXPECT_EQ(ReadAll(path), image);
    EXPECT_EQ(ui::getText(*main, ids::kMessageLine), "keyer.eep");
    EXPECT_EQ(session.fileName, path);
    const ui::FileDialogRequest& save = host().fileRequests.at(0);
    EXPECT_TRUE(save.save && !save.mustExist && save.defaultExtension == "eep");
    EXPECT_EQ(save.filters, (decltype(save.filters){{"Settings Files (*.eep)", "*.eep"},
                                                    {"All Documents (*.*)", "*.*"}}));

    session.image.fill(0);
    EXPECT_EQ(run(LoadSettingsFile, "C:\\keyers\\" + path), "File Not Found");
    EXPECT_EQ(ui::getText(*main, ids::kMessageLine), "EEP FileName: keyer.eep");
    EXPECT_EQ(run(LoadSettingsFile, path), "ok");
    EXPECT_TRUE(std::equal(image.begin(), image.end(), session.image.begin()));
    host().answerFileDialog(std::nullopt);
    EXPECT_FALSE(LoadSettingsFile(*main));
    EXPECT_EQ(session.fileName, "");  // emptied before each dialog
}

TEST_F(SettingsFiles, AnOldFileIsUpgradedAndOtherSizesAreRefused) {
    const std::string path = dir.path() + "/old.eep";
    Bytes expected = Pattern(288);
    expected[8] = 0x41;
    expected[24] = 0x02;
    WriteAll(path, expected);
    session.image.fill(0xEE);
    EXPECT_EQ(run(LoadSettingsFile, path), "ok");
    // The extension block gets its defaults, but for what byte 8 held.
    SettingsImage defaults{};
    LoadDefaults(defaults);
    expected[8] = expected[24] = 0;
    expected.insert(expected.end(), defaults.begin() + 288, defaults.end());
    expected[288] = 0x41;
    expected[294] = 0x02;
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), session.image.begin()));
    EXPECT_EQ(expected[291], 4);  // the sidetone volume

    const SettingsImage before = session.image;
    for (std::size_t size : {0, 287, 289, 299, 301}) {
        WriteAll(path, Pattern(size));
        EXPECT_EQ(run(LoadSettingsFile, path), "Invalid file.") << size;
        EXPECT_EQ(session.image, before) << size;
    }
}

}  // namespace
}  // namespace zt

namespace zt {
namespace {

// The two buttons around the file functions: the editor goes into the image
// before a save and comes back out after any load.
TEST_F(SettingsFiles, TheFileButtonsCarryTheEditorAndEveryUninterpretedBit) {
    ui::Window& w = *main;
    const std::string path = dir.path() + "/buttons.eep";
    // A value refused before any dialog is tests/app/focus_test.cpp's.
    ui::click(w, ids::kResetDefaults);  // any operation opens up the file buttons
    ui::setText(w, ids::kMsg1, "CQ");
    host().answerFileDialog(path);
    ui::click(w, ids::kWriteConfigFile);
    const Bytes saved = ReadAll(path);
    SettingsImage defaults{};
    LoadDefaults(defaults);
    ASSERT_EQ(saved.size(), 300u);
    EXPECT_TRUE(std::equal(saved.begin(), saved.begin() + 32, defaults.begin()));
    EXPECT_TRUE(std::equal(saved.begin() + 288, saved.end(), defaults.begin() + 288));
    EXPECT_EQ(saved[47], 21);

    Bytes odd = saved;
    odd[0] = 0x44, odd[294] = 0x80, odd[30] = 0xC0;  // bits no control reads
    odd[2] = 15;  // shown as 4166 Hz, above the 4000 that is stored as 15
    WriteAll(path, odd);
    host().answerFileDialog(path);
    ui::click(w, ids::kReadConfigFile);
    ui::click(w, ids::kSwap);
    ui::click(w, ids::kSwap);
    host().answerFileDialog(path + "2");
    ui::click(w, ids::kWriteConfigFile);
    EXPECT_EQ(ReadAll(path + "2"), odd);

    ui::setText(w, ids::kWeight, "typed");
    ui::setText(w, ids::kMsg1, "typed");
    host().answerFileDialog(std::nullopt);
    ui::click(w, ids::kReadConfigFile);  // a cancel still refreshes from the image
    EXPECT_EQ(ui::getText(w, ids::kWeight), "50");
    EXPECT_EQ(ui::getText(w, ids::kMsg1), "CQ");
}

}  // namespace
}  // namespace zt
