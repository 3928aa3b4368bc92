#pragma once
// A clean program for each test: the clean core of CoreTest, a fresh
// session, current for the test and keeping its configuration in CoreTest's
// folder, and a scripted host.

#include <gtest/gtest.h>

#include <memory>

#include "app/main_window.h"
#include "app/session.h"
#include "app/status.h"
#include "app/window_state.h"
#include "resources/templates.h"
#include "support/core_fixture.h"
#include "ui/scripted_host.h"

namespace zt::testing {

class AppTest : public CoreTest {
  protected:
    void SetUp() override {
        CoreTest::SetUp();
        session.configFileName = configFile;
    }
    void TearDown() override {
        CoreTest::TearDown();
        if (main) ui::closeWindow(*main);
    }
    ui::Window& openMain() {
        main = ui::openWindow(kMainTemplate, nullptr, MainWindowProc);
        return *main;
    }
    ui::ScriptedHost& host() { return scoped.host; }

    ui::ScopedScriptedHost scoped;
    Session session;
    SessionScope current{session};
    std::unique_ptr<ui::Window> main;
};

}  // namespace zt::testing
