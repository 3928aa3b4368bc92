#include "system/paths.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <stdlib.h>
#include <unistd.h>

#include <optional>
#include <string>

namespace zt {
namespace {

// Sets or unsets a variable for the life of the object.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = getenv(name)) old_ = old;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedEnv() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(ConfigDirTest, WithoutHomeTheUserDatabaseNamesTheHomeFolder) {
    const passwd* me = getpwuid(getuid());
    ASSERT_NE(me, nullptr);
    const std::string expected = std::string(me->pw_dir) + "/.config/zttools";
    ScopedEnv noHome("HOME", nullptr);
    {
        ScopedEnv noXdg("XDG_CONFIG_HOME", nullptr);
        EXPECT_EQ(ConfigDir(), expected);
        EXPECT_EQ(PortsDir(), expected + "/ports");
    }
    {
        ScopedEnv relative("XDG_CONFIG_HOME", "config");  // not absolute: ignored
        EXPECT_EQ(ConfigDir(), expected);
    }
    ScopedEnv xdg("XDG_CONFIG_HOME", "/somewhere");
    EXPECT_EQ(ConfigDir(), "/somewhere/zttools");
}

}  // namespace
}  // namespace zt
