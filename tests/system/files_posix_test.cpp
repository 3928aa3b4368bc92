// Saves and reads on a POSIX file system: permissions, owners, links and
// names that are not regular files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "system/files.h"

namespace zt {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

Bytes Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void Put(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

struct stat Stat(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
    return st;
}

class SafeSave : public ::testing::Test {
  protected:
    void TearDown() override { umask(saved); }
    // The names in the folder, to see that no temporary file is left.
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir.path()))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string Path(const std::string& name) const { return dir.path() + "/" + name; }
    // The save's result and its cause, or "ok".
    std::string Save(const std::string& path, const Bytes& bytes = {1, 2, 3}) {
        FileTrouble trouble;
        const SafeWrite r = WriteFileSafely(path, bytes, &trouble);
        if (r == SafeWrite::Ok) return "ok";
        return (r == SafeWrite::CreateFailed ? "create failed: " : "write failed: ") +
               trouble.cause;
    }

    testing::TempDir dir;
    mode_t saved = umask(022);
};

TEST_F(SafeSave, NewFilesTakeTheUmaskAndReplacedOnesKeepModeOwnerAndGroup) {
    for (auto [mask, mode] : {std::pair{mode_t(027), mode_t(0640)}, {mode_t(0), mode_t(0666)}}) {
        umask(mask);
        const std::string path = Path("new" + std::to_string(mode));
        ASSERT_EQ(Save(path), "ok");
        EXPECT_EQ(Stat(path).st_mode & 07777, mode);
    }
    umask(077);  // no business of a file that is there already
    const std::string old = Path("old.eep");
    Put(old, {9});
    if (getuid() == 0) {
        ASSERT_EQ(chown(old.c_str(), 1234, 5678), 0);
    }
    // Set-user-ID and set-group-ID stay behind: a settings file is no program.
    ASSERT_EQ(chmod(old.c_str(), 06751), 0);
    ASSERT_EQ(Save(old), "ok");
    EXPECT_EQ(Contents(old), (Bytes{1, 2, 3}));
    EXPECT_EQ(Stat(old).st_mode & 07777, 0751u);
    if (getuid() == 0) {
        EXPECT_EQ(Stat(old).st_uid, 1234u);
        EXPECT_EQ(Stat(old).st_gid, 5678u);
    }
}

TEST_F(SafeSave, ALinkIsFollowedAndNamesOfAnyLengthSave) {
    fs::create_directory(Path("real"));
    Put(Path("real/keyer.eep"), {9});
    ASSERT_EQ(symlink("real/keyer.eep", Path("link.eep").c_str()), 0);
    ASSERT_EQ(symlink("link.eep", Path("link2.eep").c_str()), 0);
    ASSERT_EQ(Save(Path("link2.eep")), "ok");
    EXPECT_TRUE(fs::is_symlink(Path("link.eep")) && fs::is_symlink(Path("link2.eep")));
    EXPECT_EQ(Contents(Path("real/keyer.eep")), (Bytes{1, 2, 3}));
    EXPECT_EQ(std::distance(fs::directory_iterator(Path("real")), {}), 1);

    // The longest name the file system takes leaves no room for a temporary
    // name made from it.
    const std::string longest = Path(std::string(251, 'k') + ".eep");
    ASSERT_EQ(Save(longest), "ok");
    ASSERT_EQ(Save(longest, {4, 5}), "ok");
    EXPECT_EQ(Contents(longest), (Bytes{4, 5}));
    EXPECT_EQ(CheckWritable(longest), SafeWrite::Ok);
    EXPECT_EQ(Names(), (std::vector<std::string>{std::string(251, 'k') + ".eep", "link.eep",
                                                 "link2.eep", "real"}));
}

TEST_F(SafeSave, WhatCannotBeReplacedIsRefusedAtOnceAndKeptAsItWas) {
    Put(Path("locked.eep"), {9});
    ASSERT_EQ(chmod(Path("locked.eep").c_str(), 0444), 0);
    ASSERT_EQ(mkfifo(Path("pipe.eep").c_str(), 0644), 0);
    fs::create_directory(Path("folder.eep"));
    ASSERT_EQ(symlink("gone/keyer.eep", Path("dangling.eep").c_str()), 0);
    ASSERT_EQ(symlink("loop-b.eep", Path("loop-a.eep").c_str()), 0);
    ASSERT_EQ(symlink("loop-a.eep", Path("loop-b.eep").c_str()), 0);
    const std::vector<std::string> before = Names();

    EXPECT_EQ(Save(Path("locked.eep")), "create failed: read-only");
    EXPECT_EQ(Save(Path("pipe.eep")), "create failed: a named pipe, not a file");
    EXPECT_EQ(Save(Path("folder.eep")), "create failed: a folder, not a file");
    EXPECT_EQ(Save(Path("dangling.eep")),
              "create failed: a link to gone/keyer.eep, which does not exist");
    EXPECT_EQ(Save(Path("loop-a.eep")), "create failed: a link in a loop of links");
    EXPECT_EQ(Save(Path("missing/keyer.eep")), "create failed: No such file or directory");
    for (const char* name : {"locked.eep", "pipe.eep", "dangling.eep", "loop-a.eep"})
        EXPECT_EQ(CheckWritable(Path(name)), SafeWrite::CreateFailed) << name;
    EXPECT_EQ(CheckWritable(Path("missing/keyer.eep")), SafeWrite::CreateFailed);

    EXPECT_EQ(Names(), before);
    EXPECT_EQ(Contents(Path("locked.eep")), Bytes{9});
    EXPECT_TRUE(fs::is_symlink(Path("dangling.eep")) && fs::is_fifo(Path("pipe.eep")));
}

// A named pipe would hold a reader until some writer came; it is refused
// before any read, as is everything else that is not a regular file.
TEST(FileReading, OnlyRegularFilesAreOpenedAndAPipeFailsAtOnce) {
    testing::TempDir dir;
    const std::string pipe = dir.path() + "/f.eep", text = dir.path() + "/t.hex";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
    Put(text, {'a', '\n', 'b'});
    for (auto [path, cause] :
         {std::pair<std::string, std::string>{pipe, "a named pipe, not a file"},
          {dir.path(), "a folder, not a file"},
          {"/dev/null", "a device, not a file"}}) {
        FileTrouble trouble;
        EXPECT_EQ(OpenForReading(path, &trouble), nullptr) << path;
        EXPECT_TRUE(trouble.notAFile) << path;
        EXPECT_EQ(trouble.cause, cause);
        EXPECT_FALSE(FileStream(path).IsOpen());
    }
    FileTrouble trouble;
    EXPECT_EQ(OpenForReading(dir.path() + "/none", &trouble), nullptr);
    EXPECT_FALSE(trouble.notAFile);
    EXPECT_EQ(trouble.cause, "No such file or directory");

    FileStream in(text);
    ASSERT_TRUE(in.IsOpen());
    std::string first, second;
    EXPECT_TRUE(std::getline(in, first) && std::getline(in, second));
    EXPECT_EQ(first + second, "ab");
    EXPECT_FALSE(std::getline(in, first));
}

}  // namespace
}  // namespace zt
