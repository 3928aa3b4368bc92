#pragma once
// The main window with a virtual keyer registered as a COM port, waits
// shortened so a silent keyer costs a fraction of a second.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/session.h"
#include "sim/simulator.h"
#include "support/app_fixture.h"
#include "system/paths.h"

namespace zt::testing {

constexpr int kSimCom = 9;

class KeyerTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        MakeDirs(PortsDir());
        appState.waits = ShortWaits();
        appState.comPortNumber = kSimCom;
    }
    void TearDown() override {
        keyerPort.Close();
        if (sim) sim->Stop();
        AppTest::TearDown();
    }
    sim::Simulator& startKeyer(sim::Identity id = {}, sim::Faults faults = {},
                               bool bootLoaderOnly = false, int com = kSimCom) {
        sim::Config c;
        c.identity = id;
        c.faults = faults;
        c.bootLoaderOnly = bootLoaderOnly;
        c.com = com;
        auto s = std::make_unique<sim::Simulator>(c);
        std::string error;
        EXPECT_TRUE(s->Start(&error)) << error;
        sims.push_back(std::move(s));
        sim = sims.back().get();
        return *sim;
    }
    static sim::Identity Keyer(int variant, int major, int minor) {
        sim::Identity id;
        id.variant = variant;
        id.major = major;
        id.minor = minor;
        return id;
    }

    std::vector<std::unique_ptr<sim::Simulator>> sims;
    sim::Simulator* sim = nullptr;
};

}  // namespace zt::testing
