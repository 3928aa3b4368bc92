// ztsim itself, as a user runs it: a settings file it cannot use, and the
// link of a ztsim that was killed.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "sim_fixture.h"
#include "system/pty.h"

extern char** environ;

namespace zt::sim::test {
namespace {

// ztsim with args, its output into files in folder; its process id, or -1.
pid_t Spawn(const std::vector<std::string>& args, const std::string& folder) {
    std::vector<char*> argv{const_cast<char*>(ZTSIM_PROGRAM)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string out = folder + "/out", err = folder + "/err";
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    if (posix_spawn(&pid, ZTSIM_PROGRAM, &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// The exit status, or -1 when a signal ended it.
int Status(pid_t pid) {
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string LinkTarget(const std::string& link) {
    char buf[256];
    ssize_t n = readlink(link.c_str(), buf, sizeof buf);
    return n < 0 ? std::string() : std::string(buf, std::size_t(n));
}

TEST(Ztsim, RefusesAFolderAsItsSettingsFile) {
    TempConfigHome home;
    const pid_t pid = Spawn({"--com", "0", "--settings", home.dir()}, home.dir());
    ASSERT_GT(pid, 0);
    EXPECT_EQ(Status(pid), 1);
    EXPECT_EQ(Contents(home.dir() + "/err"), "ztsim: " + home.dir() + " is not a regular file\n");
}

// COM60 stands for no device of the fixed table, so only the link counts.
TEST(Ztsim, TakesBackTheLinkOfAZtsimThatWasKilled) {
    TempConfigHome home;
    const pid_t pid = Spawn({"--com", "60"}, home.dir());
    ASSERT_GT(pid, 0);
    const std::string link = ComLinkPath(60);
    std::string killed;
    for (int i = 0; i < 1000 && killed.empty(); ++i) {
        usleep(5'000);
        killed = LinkTarget(link);
    }
    ASSERT_FALSE(killed.empty()) << Contents(home.dir() + "/err");
    EXPECT_TRUE(PtyClaimed(killed));
    kill(pid, SIGKILL);
    EXPECT_EQ(Status(pid), -1);
    EXPECT_EQ(LinkTarget(link), killed);  // left behind
    EXPECT_FALSE(PtyClaimed(killed));

    // Numbers are handed out lowest first, so the killed one is soon somebody
    // else's terminal again, and present.
    std::vector<PtyMaster> others(1);
    while (others.size() < 64 && others.back().Open() && others.back().SlavePath() != killed)
        others.emplace_back();
    Config config;
    config.com = 60;
    Simulator next(config);
    std::string why;
    ASSERT_TRUE(next.Start(&why)) << why;
    EXPECT_EQ(LinkTarget(link), next.DevicePath());
    next.Stop();
}

}  // namespace
}  // namespace zt::sim::test
