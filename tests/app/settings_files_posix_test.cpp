// Settings files on a disk that fills up or turns read-only: tmpfs mounts.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "resources/ids.h"
#include "settings_files_fixture.h"

namespace zt {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;
using testing::Pattern;
using testing::ReadAll;
using testing::WriteAll;

class SettingsFilesOnTmpfs : public testing::SettingsFiles {
  protected:
    void TearDown() override {
        for (const std::string& m : mounts) umount2(m.c_str(), MNT_DETACH);
        SettingsFiles::TearDown();
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

// A named pipe would hold the window until some writer came; a folder or a
// device holds no settings, whatever size the system gives it.
TEST_F(SettingsFilesOnTmpfs, WhatIsNotARegularFileIsAnInvalidFileAtOnce) {
    const SettingsImage before = session.image;
    const std::string pipe = dir.path() + "/pipe.eep";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
    EXPECT_EQ(run(LoadSettingsFile, pipe), "Invalid file.");
    EXPECT_EQ(run(LoadSettingsFile, "/dev/zero"), "Invalid file.");
    EXPECT_EQ(run(SaveSettingsFile, pipe), "Can't open Settings file for write");
    EXPECT_TRUE(fs::is_fifo(pipe));
    // A tmpfs folder with 13 entries has the size of a settings file.
    if (!mountTmpfs(dir.path() + "/shm", "size=64k")) GTEST_SKIP() << "cannot mount a tmpfs";
    for (int k = 0; k < 13; ++k) WriteAll(dir.path() + "/shm/" + std::to_string(k), {});
    EXPECT_EQ(run(LoadSettingsFile, dir.path() + "/shm"), "Invalid file.");
    EXPECT_EQ(session.image, before);
}

TEST_F(SettingsFilesOnTmpfs, FailedSavesLeaveTheOldFilesWhole) {
    const std::string full = dir.path() + "/full", locked = dir.path() + "/locked";
    // Two pages, which the two old files fill. Root writes into any folder a
    // mode forbids, so the read-only folder is a read-only tmpfs too.
    if (!mountTmpfs(full, "size=8k") || !mountTmpfs(locked, "size=8k"))
        GTEST_SKIP() << "cannot mount a tmpfs";
    const Bytes old = WriteAll(full + "/keyer.eep", Pattern(300));
    const std::string config = full + "/zttools.cfg";
    WriteAll(config, {3, 0, 0, 0});
    WriteAll(locked + "/keyer.eep", old);
    ASSERT_EQ(mount(nullptr, locked.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);

    session.image.fill(0x11);
    EXPECT_EQ(run(SaveSettingsFile, full + "/keyer.eep"), "Export Log File Failed.");
    EXPECT_EQ(run(SaveSettingsFile, locked + "/keyer.eep"), "Can't open Settings file for write");
    EXPECT_EQ(SaveComPortSetting(config, 9), ConfigStatus::WriteFailed);
    EXPECT_EQ(ReadAll(full + "/keyer.eep"), old);
    EXPECT_EQ(ReadAll(locked + "/keyer.eep"), old);
    EXPECT_EQ(ReadAll(config), (Bytes{3, 0, 0, 0}));
    EXPECT_EQ(std::distance(fs::directory_iterator(full), {}), 2);
}

}  // namespace
}  // namespace zt
