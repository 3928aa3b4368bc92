#include "app/launch.h"

#include <string_view>

#include "version/version.h"

namespace zt {

namespace {

constexpr const char* kHelp =
    "Usage: zttools [--help | --version] [FILE]\n"
    "The Zentor 3 keyer utility in a window: test the keyer; read, edit and write\n"
    "its settings and keep them in files; load new firmware.\n"
    "\n"
    "  -h, --help   this text\n"
    "  --version    the version, the build stamp and the licence\n"
    "  FILE         a settings file (.eep), read as Read Config File reads it\n"
    "\n"
#ifndef _WIN32
    "Qt's own options, such as -platform offscreen, are taken as well.\n"
#endif
    "ztcli does the same from a terminal. See zttools(1) and the user's guide.\n";

bool Set(const Environment& env, const char* name) {
    const char* value = env(name);
    return value && *value;
}

// Qt is told where to draw (-platform, QT_QPA_PLATFORM), or X or Wayland is there.
bool HasDisplay(int argc, const char* const* argv, const Environment& env) {
    for (int i = 1; i < argc; ++i)
        if (std::string_view(argv[i]) == "-platform" || std::string_view(argv[i]) == "--platform")
            return true;
    return Set(env, "QT_QPA_PLATFORM") || Set(env, "DISPLAY") || Set(env, "WAYLAND_DISPLAY");
}

}  // namespace

Launch CheckLaunch(int argc, const char* const* argv, const Environment& env) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") return {0, kHelp, {}};
        if (arg == "--version") return {0, VersionText("zttools") + "\n", {}};
    }
    if (env && !HasDisplay(argc, argv, env))
        return {1, {}, "no display: set DISPLAY, or use ztcli\n"};
    return {};
}

std::string SettingsFileArgument(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i)
        if (argv[i][0] != '-') return argv[i];
    return {};
}

}  // namespace zt
