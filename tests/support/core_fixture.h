#pragma once
// A clean core for each test: a private configuration directory. The core
// keeps no state between calls, so there is nothing else to reset. No window,
// no host: the core's own tests use this alone.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "common/config_file.h"
#include "link/waits.h"
#include "support/temp_dir.h"

namespace zt::testing {

// Waits cut so that a silent keyer costs a fraction of a second and an
// upload's speed changes next to nothing.
inline KeyerWaits ShortWaits() {
    KeyerWaits w;
    w.full = {.writeMs = 200, .readMs = 300, .readTimeoutMs = 350, .settleMs = 5};
    w.detection = w.full;
    w.storeMs = 300;
    w.upload = {.beforeFast = 100, .afterRestart = 100, .afterSlow = 0};
    return w;
}

class CoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
#ifdef _WIN32
        // Start-up's own file lies beside the test program: none before, none after.
        std::filesystem::remove(DefaultConfigFileName());
#else
        setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
#endif
    }
    void TearDown() override {
#ifdef _WIN32
        std::filesystem::remove(DefaultConfigFileName());
#endif
    }

    TempDir dir;
    // A configuration file of the test's own, not yet made.
    const std::string configFile = dir.path() + "/zttools.cfg";
};

}  // namespace zt::testing
