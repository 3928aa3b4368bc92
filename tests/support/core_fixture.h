#pragma once
// A clean core for each test: shared state reset and a private configuration
// directory. No window, no host: the core's own tests use this alone.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "common/app_state.h"
#include "common/config_file.h"
#include "support/temp_dir.h"

namespace zt::testing {

class CoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetSharedState();
#ifdef _WIN32
        // Start-up's own file lies beside the test program: none before, none after.
        std::filesystem::remove(DefaultConfigFileName());
#else
        setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
#endif
        configFileName = dir.path() + "/zttools.cfg";
    }
    void TearDown() override {
#ifdef _WIN32
        std::filesystem::remove(DefaultConfigFileName());
#endif
    }

    TempDir dir;
};

}  // namespace zt::testing
