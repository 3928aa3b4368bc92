#pragma once
// A clean program for each test: shared state reset, a scripted host, and a
// private configuration directory.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>

#include "app/main_window.h"
#include "app/status.h"
#include "app/window_state.h"
#include "common/app_state.h"
#include "common/config_file.h"
#include "resources/templates.h"
#include "support/temp_dir.h"
#include "ui/scripted_host.h"

namespace zt::testing {

class AppTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetSharedState();
        statusCountdown = 0;
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
        if (main) ui::closeWindow(*main);
        mainWindow = nullptr;
    }
    ui::Window& openMain() {
        main = ui::openWindow(kMainTemplate, nullptr, MainWindowProc);
        return *main;
    }
    ui::ScriptedHost& host() {
        return scoped.host;
    }

    TempDir dir;
    ui::ScopedScriptedHost scoped;
    std::unique_ptr<ui::Window> main;
};

}  // namespace zt::testing
