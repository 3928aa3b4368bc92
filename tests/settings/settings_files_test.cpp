#include "app/settings_files.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "resources/ids.h"
#include "support/app_fixture.h"

namespace zt {
namespace {

using Bytes = std::vector<unsigned char>;
namespace fs = std::filesystem;

Bytes ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

Bytes WriteAll(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return bytes;
}

Bytes Pattern(std::size_t size) {
    Bytes b(size);
    for (std::size_t i = 0; i < size; ++i) b[i] = static_cast<unsigned char>(i * 7 + 3);
    return b;
}

class SettingsFiles : public testing::AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        openMain();
    }
    void TearDown() override {
        for (const std::string& m : mounts) umount2(m.c_str(), MNT_DETACH);
        AppTest::TearDown();
    }
    // Load or save through the dialog answered with path; the message box text, if any.
    std::string run(bool (*command)(ui::Window&), const std::string& path) {
        host().messageBoxes.clear();
        host().answerFileDialog(path);
        const bool ok = command(*main);
        if (host().messageBoxes.empty()) return ok ? "ok" : "failed silently";
        const ui::MessageBoxRecord& box = host().messageBoxes.back();
        EXPECT_TRUE(!ok && box.caption == "Error" && box.icon == ui::Icon::None &&
                    box.owner == main.get());
        return box.text;
    }
    // A tmpfs of its own, for a disk that fills up or turns read-only.
    bool mountTmpfs(const std::string& path, const char* options) {
        fs::create_directories(path);
        if (mount("tmpfs", path.c_str(), "tmpfs", 0, options) != 0) return false;
        mounts.push_back(path);
        return true;
    }
    std::vector<std::string> mounts;
};

TEST_F(SettingsFiles, ASavedFileLoadsBackIdenticalThroughTheDialogs) {
    const Bytes image = Pattern(300);
    std::copy(image.begin(), image.end(), appState.image.begin());
    const std::string path = dir.path() + "/keyer.eep";
    WriteAll(path, Bytes(10, 0xEE));  // replaced without asking
    EXPECT_EQ(run(SaveSettingsFile, path), "ok");
    EXPECT_EQ(ReadAll(path), image);
    EXPECT_EQ(ui::getText(*main, ids::kMessageLine), "keyer.eep");
    EXPECT_EQ(appState.fileName, path);
    const ui::FileDialogRequest& save = host().fileRequests.at(0);
    EXPECT_TRUE(save.save && !save.mustExist && save.defaultExtension == "eep");
    EXPECT_EQ(save.filters,
              (decltype(save.filters){{"Settings Files", "*.eep"}, {"All Documents", "*.*"}}));

    appState.image.fill(0);
    EXPECT_EQ(run(LoadSettingsFile, "C:\\keyers\\" + path), "File Not Found");
    EXPECT_EQ(ui::getText(*main, ids::kMessageLine), "EEP FileName: keyer.eep");
    EXPECT_EQ(run(LoadSettingsFile, path), "ok");
    EXPECT_TRUE(std::equal(image.begin(), image.end(), appState.image.begin()));
    host().answerFileDialog(std::nullopt);
    EXPECT_FALSE(LoadSettingsFile(*main));
    EXPECT_EQ(appState.fileName, "");  // emptied before each dialog
}

TEST_F(SettingsFiles, AnOldFileIsUpgradedAndOtherSizesAreRefused) {
    const std::string path = dir.path() + "/old.eep";
    Bytes expected = Pattern(288);
    expected[8] = 0x41;
    expected[24] = 0x02;
    WriteAll(path, expected);
    appState.image.fill(0xEE);
    EXPECT_EQ(run(LoadSettingsFile, path), "ok");
    expected[8] = expected[24] = 0;
    expected.insert(expected.end(), {0x41, 0, 0, 4, 0, 0, 0x02, 0, 0, 4, 0, 0});
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), appState.image.begin()));

    const SettingsImage before = appState.image;
    for (std::size_t size : {0, 287, 289, 299, 301}) {
        WriteAll(path, Pattern(size));
        EXPECT_EQ(run(LoadSettingsFile, path), "Invalid file.") << size;
        EXPECT_EQ(appState.image, before) << size;
    }
    // A tmpfs folder with 13 entries has the size of a settings file and cannot be read.
    if (!mountTmpfs(dir.path() + "/shm", "size=64k")) GTEST_SKIP() << "cannot mount a tmpfs";
    for (int k = 0; k < 13; ++k) WriteAll(dir.path() + "/shm/" + std::to_string(k), {});
    EXPECT_EQ(run(LoadSettingsFile, dir.path() + "/shm"), "Read Settings file failed.");
    EXPECT_EQ(appState.image, before);
}

TEST_F(SettingsFiles, FailedSavesLeaveTheOldFilesWhole) {
    const std::string full = dir.path() + "/full", locked = dir.path() + "/locked";
    // Two pages, which the two old files fill. Root writes into any folder a
    // mode forbids, so the read-only folder is a read-only tmpfs too.
    if (!mountTmpfs(full, "size=8k") || !mountTmpfs(locked, "size=8k"))
        GTEST_SKIP() << "cannot mount a tmpfs";
    const Bytes old = WriteAll(full + "/keyer.eep", Pattern(300));
    configFileName = full + "/zttools.cfg";
    WriteAll(configFileName, {3, 0, 0, 0});
    WriteAll(locked + "/keyer.eep", old);
    ASSERT_EQ(mount(nullptr, locked.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);

    appState.image.fill(0x11);
    EXPECT_EQ(run(SaveSettingsFile, full + "/keyer.eep"), "Export Log File Failed.");
    EXPECT_EQ(run(SaveSettingsFile, locked + "/keyer.eep"), "Can't open Settings file for write");
    comPortNumber = 9;
    EXPECT_EQ(SaveComPortSetting(), ConfigStatus::WriteFailed);
    EXPECT_EQ(ReadAll(full + "/keyer.eep"), old);
    EXPECT_EQ(ReadAll(locked + "/keyer.eep"), old);
    EXPECT_EQ(ReadAll(configFileName), (Bytes{3, 0, 0, 0}));
    EXPECT_EQ(std::distance(fs::directory_iterator(full), {}), 2);
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
    ui::click(w, ids::kResetDefaults);  // any operation opens up the file buttons
    ui::setText(w, ids::kRatio, "70");  // refused before any dialog
    ui::click(w, ids::kWriteConfigFile);
    ASSERT_EQ(host().messageBoxes.size(), 1u);
    EXPECT_EQ(host().messageBoxes.back().text, "Ratio must be between 33 and 66");
    EXPECT_TRUE(host().fileRequests.empty());

    ui::setText(w, ids::kRatio, "50");
    ui::setText(w, ids::kMsg1, "CQ");
    host().answerFileDialog(path);
    ui::click(w, ids::kWriteConfigFile);
    const Bytes saved = ReadAll(path);
    const Bytes user = {0, 15, 78, 50, 0, 0, 5, 30, 0, 0, 0, 50, 50, 7, 0, 15};
    ASSERT_EQ(saved.size(), 300u);
    EXPECT_EQ(Bytes(saved.begin(), saved.begin() + 16), user);
    EXPECT_EQ(Bytes(saved.begin() + 16, saved.begin() + 32), user);
    EXPECT_EQ(Bytes(saved.begin() + 288, saved.end()), Bytes({0, 0, 0, 4, 0, 0, 0, 0, 0, 4, 0, 0}));
    EXPECT_EQ(saved[47], 21);

    Bytes odd = saved;
    odd[0] = 0x44, odd[294] = 0x80, odd[30] = 0xC0;  // bits no control reads
    WriteAll(path, odd);
    host().answerFileDialog(path);
    ui::click(w, ids::kReadConfigFile);
    ui::click(w, ids::kSwap);
    ui::click(w, ids::kSwap);
    host().answerFileDialog(path);
    ui::click(w, ids::kWriteConfigFile);
    EXPECT_EQ(ReadAll(path), odd);

    ui::setText(w, ids::kWeight, "typed");
    ui::setText(w, ids::kMsg1, "typed");
    host().answerFileDialog(std::nullopt);
    ui::click(w, ids::kReadConfigFile);  // a cancel still refreshes from the image
    EXPECT_EQ(ui::getText(w, ids::kWeight), "50");
    EXPECT_EQ(ui::getText(w, ids::kMsg1), "CQ");
}

}  // namespace
}  // namespace zt
