// zttools' command line before any window: what is answered, and when the
// window is not even tried.
#include "app/launch.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "version/version.h"

namespace zt {
namespace {

Launch Start(std::vector<const char*> args, std::map<std::string, std::string> vars) {
    args.insert(args.begin(), "zttools");
    const Environment env = [&vars](const char* name) -> const char* {
        auto it = vars.find(name);
        return it == vars.end() ? nullptr : it->second.c_str();
    };
    return CheckLaunch(static_cast<int>(args.size()), args.data(), env);
}

TEST(Launch, AnyWayToDrawOpensTheWindowAndNoneEndsInOneLine) {
    const std::map<std::string, std::string> none, empty{{"DISPLAY", ""}};
    for (const auto& vars : {none, empty}) {
        const Launch l = Start({}, vars);
        EXPECT_EQ(l.status, 1);
        EXPECT_NE(l.err, "");
        EXPECT_EQ(l.out, "");
    }
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        EXPECT_EQ(Start({}, {{name, "x"}}).status, -1) << name;
    EXPECT_EQ(Start({"-platform", "offscreen"}, none).status, -1);
    // Without an environment to ask (Windows) there is always a display.
    const char* argv[] = {"zttools"};
    EXPECT_EQ(CheckLaunch(1, argv, nullptr).status, -1);
}

TEST(Launch, HelpAndVersionNeedNoDisplay) {
    for (const char* flag : {"--help", "-h"}) {
        const Launch l = Start({"-platform", "xcb", flag}, {});
        EXPECT_EQ(l.status, 0);
        EXPECT_NE(l.out.find("Usage: zttools"), std::string::npos) << l.out;
    }
    const Launch v = Start({"--version"}, {});
    EXPECT_EQ(v.status, 0);
    EXPECT_EQ(v.out, VersionText("zttools") + "\n");
}

}  // namespace
}  // namespace zt
