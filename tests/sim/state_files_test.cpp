// The simulator's state files, read and saved as the program's own files are.

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "sim_fixture.h"

namespace zt::sim::test {
namespace {

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(SimStateFiles, OnlyRegularFilesAreRead) {
    TempConfigHome home;
    const std::string pipe = home.dir() + "/keyer.fifo";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    for (const std::string& path : {home.dir(), pipe}) {
        SettingsBytes settings{};
        ProgramMemory program{};
        std::string why;
        EXPECT_FALSE(ReadSettingsFile(path, &settings, &why));
        EXPECT_EQ(why, path + " is not a regular file");
        EXPECT_FALSE(ReadProgramFile(path, &program, &why));
        EXPECT_EQ(why, path + " is not a regular file");
    }
}

TEST(SimStateFiles, SavesGoThroughAFreshNameAndFollowLinks) {
    TempConfigHome home;
    const std::string path = home.dir() + "/keyer.eep", victim = home.dir() + "/victim";
    std::ofstream(victim) << "keep";
    // Where a save once went first, for anybody to plant a link.
    const std::string planted = path + ".tmp." + std::to_string(getpid());
    ASSERT_EQ(symlink(victim.c_str(), planted.c_str()), 0);
    const SettingsBytes factory = FactorySettings();
    ASSERT_TRUE(WriteSettingsFile(path, factory));
    EXPECT_EQ(Contents(victim), "keep");
    EXPECT_EQ(Contents(path), std::string(factory.begin(), factory.end()));
    struct stat st {};
    ASSERT_EQ(lstat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));

    // A link at the target: the file it names is replaced, the link stays.
    const std::string link = home.dir() + "/link.eep";
    ASSERT_EQ(symlink(victim.c_str(), link.c_str()), 0);
    ASSERT_TRUE(WriteSettingsFile(link, factory));
    EXPECT_EQ(Contents(victim), std::string(factory.begin(), factory.end()));
    ASSERT_EQ(lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));

    std::string why;
    EXPECT_FALSE(WriteSettingsFile(home.dir() + "/none/keyer.eep", factory, &why));
    EXPECT_EQ(why.rfind("cannot save " + home.dir() + "/none/keyer.eep", 0), 0u) << why;
}

}  // namespace
}  // namespace zt::sim::test
