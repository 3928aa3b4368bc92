#include "app/settings_files.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

#include "resources/ids.h"
#include "support/app_fixture.h"

namespace zt {
namespace {

using testing::AppTest;
using Bytes = std::vector<unsigned char>;

Bytes ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteAll(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

Bytes Pattern(std::size_t size) {
    Bytes b(size);
    for (std::size_t i = 0; i < size; ++i) b[i] = static_cast<unsigned char>(i * 7 + 3);
    return b;
}

std::size_t EntriesIn(const std::string& folder) {
    auto range = std::filesystem::directory_iterator(folder);
    return std::distance(begin(range), end(range));
}

// A tmpfs of its own, for a disk that fills up or turns read-only.
class Tmpfs {
  public:
    Tmpfs(const std::string& path, const char* options) : path_(path) {
        std::filesystem::create_directories(path);
        mounted_ = mount("tmpfs", path.c_str(), "tmpfs", 0, options) == 0;
    }
    ~Tmpfs() {
        if (mounted_) umount2(path_.c_str(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }
    bool makeReadOnly() {
        return mount(nullptr, path_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

  private:
    std::string path_;
    bool mounted_;
};

class SettingsFiles : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        openMain();
    }
    // The one message box so far; fails the test when there is none.
    std::string onlyBox() {
        if (host().messageBoxes.size() != 1u) {
            ADD_FAILURE() << host().messageBoxes.size() << " message boxes";
            return {};
        }
        const ui::MessageBoxRecord& box = host().messageBoxes[0];
        EXPECT_EQ(box.caption, "Error");
        EXPECT_EQ(box.icon, ui::Icon::None);
        EXPECT_EQ(box.owner, main.get());
        return box.text;
    }
    std::string message() { return ui::getText(*main, ids::kMessageLine); }
};

TEST_F(SettingsFiles, ASavedFileLoadsBackIdenticalThroughTheDialogs) {
    const Bytes image = Pattern(300);
    std::copy(image.begin(), image.end(), appState.image.begin());
    const std::string path = dir.path() + "/keyer.eep";
    WriteAll(path, Bytes(10, 0xEE));  // replaced without asking
    host().answerFileDialog(path);
    ASSERT_TRUE(SaveSettingsFile(*main));
    EXPECT_EQ(ReadAll(path), image);
    EXPECT_EQ(message(), "keyer.eep");
    EXPECT_EQ(appState.fileName, path);
    const ui::FileDialogRequest& save = host().fileRequests.at(0);
    EXPECT_TRUE(save.save);
    EXPECT_EQ(save.filters,
              (decltype(save.filters){{"Settings Files", "*.eep"}, {"All Documents", "*.*"}}));
    EXPECT_EQ(save.defaultExtension, "eep");
    EXPECT_FALSE(save.mustExist);

    appState.image.fill(0);
    host().answerFileDialog("C:\\keyers\\" + path);  // either separator ends the folder
    EXPECT_FALSE(LoadSettingsFile(*main));
    EXPECT_EQ(onlyBox(), "File Not Found");
    EXPECT_EQ(message(), "EEP FileName: keyer.eep");
    host().answerFileDialog(path);
    ASSERT_TRUE(LoadSettingsFile(*main));
    EXPECT_FALSE(host().fileRequests.at(2).save);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), appState.image.begin()));

    host().answerFileDialog(std::nullopt);
    EXPECT_FALSE(LoadSettingsFile(*main));
    EXPECT_EQ(appState.fileName, "");  // emptied before each dialog
    EXPECT_EQ(host().messageBoxes.size(), 1u);

    // Through a link, the file it names is replaced and the link kept.
    const std::string link = dir.path() + "/link.eep";
    std::filesystem::create_symlink(path, link);
    appState.image[0] = 0x55;
    host().answerFileDialog(link);
    ASSERT_TRUE(SaveSettingsFile(*main));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadAll(path).at(0), 0x55);
    EXPECT_EQ(EntriesIn(dir.path()), 2u);  // no temporary file left
}

TEST_F(SettingsFiles, AnOldFileIsUpgradedAndOtherSizesAreRefused) {
    const std::string path = dir.path() + "/old.eep";
    Bytes old = Pattern(288);
    old[8] = 0x41;
    old[24] = 0x02;
    WriteAll(path, old);
    appState.image.fill(0xEE);
    host().answerFileDialog(path);
    ASSERT_TRUE(LoadSettingsFile(*main));
    Bytes expected = old;
    expected[8] = expected[24] = 0;
    expected.insert(expected.end(), {0x41, 0, 0, 4, 0, 0, 0x02, 0, 0, 4, 0, 0});
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), appState.image.begin()));

    const SettingsImage before = appState.image;
    for (std::size_t size : {0, 287, 289, 299, 301}) {
        WriteAll(path, Pattern(size));
        host().messageBoxes.clear();
        host().answerFileDialog(path);
        EXPECT_FALSE(LoadSettingsFile(*main));
        EXPECT_EQ(onlyBox(), "Invalid file.") << size;
        EXPECT_EQ(appState.image, before) << size;
    }
}

// A tmpfs folder with 13 entries reports a size of 300 and cannot be read.
TEST_F(SettingsFiles, AFailedReadLeavesTheImageAlone) {
    const std::string folder = "/dev/shm/zttest-" + std::to_string(getpid());
    std::filesystem::create_directory(folder);
    for (int k = 0; k < 13; ++k) WriteAll(folder + "/" + std::to_string(k), {});
    struct stat st {};
    const bool looksLikeAFile = stat(folder.c_str(), &st) == 0 && st.st_size == 300;
    if (looksLikeAFile) {
        appState.image.fill(0x5A);
        const SettingsImage before = appState.image;
        host().answerFileDialog(folder);
        EXPECT_FALSE(LoadSettingsFile(*main));
        EXPECT_EQ(onlyBox(), "Read Settings file failed.");
        EXPECT_EQ(appState.image, before);
    }
    std::filesystem::remove_all(folder);
    if (!looksLikeAFile) GTEST_SKIP() << "/dev/shm is no tmpfs here";
}

TEST_F(SettingsFiles, FailedSavesLeaveTheOldFileWhole) {
    const Bytes old = Pattern(300);
    appState.image.fill(0x11);

    const std::string full = dir.path() + "/full";
    Tmpfs small(full, "size=8k");  // two pages: the old files fill it
    if (!small.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here";
    WriteAll(full + "/keyer.eep", old);
    WriteAll(full + "/zttools.cfg", {3, 0, 0, 0});
    host().answerFileDialog(full + "/keyer.eep");
    EXPECT_FALSE(SaveSettingsFile(*main));
    EXPECT_EQ(onlyBox(), "Export Log File Failed.");
    EXPECT_EQ(ReadAll(full + "/keyer.eep"), old);
    EXPECT_EQ(EntriesIn(full), 2u);

    configFileName = full + "/zttools.cfg";
    comPortNumber = 9;
    EXPECT_EQ(SaveComPortSetting(), ConfigStatus::WriteFailed);
    EXPECT_EQ(ReadAll(configFileName), (Bytes{3, 0, 0, 0}));

    const std::string locked = dir.path() + "/locked";
    Tmpfs ro(locked, "size=64k");
    WriteAll(locked + "/keyer.eep", old);
    ASSERT_TRUE(ro.makeReadOnly());  // root writes into any folder a mode forbids
    host().messageBoxes.clear();
    host().answerFileDialog(locked + "/keyer.eep");
    EXPECT_FALSE(SaveSettingsFile(*main));
    EXPECT_EQ(onlyBox(), "Can't open Settings file for write");
    EXPECT_EQ(ReadAll(locked + "/keyer.eep"), old);
}

}  // namespace
}  // namespace zt
