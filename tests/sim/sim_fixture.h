#pragma once
// A running simulator and a host end opened on its slave.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "host_port.h"
#include "sim/simulator.h"

namespace zt::sim::test {

using namespace std::chrono_literals;

class SimTest : public ::testing::Test {
  protected:
    void Start(Config config = {}) {
        sim_ = std::make_unique<Simulator>(std::move(config));
        std::string error;
        ASSERT_TRUE(sim_->Start(&error)) << error;
        host_ = std::make_unique<HostPort>(sim_->DevicePath());
        ASSERT_TRUE(host_->ok());
    }
    void TearDown() override {
        host_.reset();
        if (sim_) sim_->Stop();
    }
    // Nothing arrives within a short while (the reply it would be is long due).
    void ExpectNoReply() { EXPECT_EQ(host_->Read(1, 150), Bytes{}); }

    // Firmware to boot loader to 9600 baud, as an upload starts.
    void EnterFrames() {
        host_->Write({0x00, 0x10, 0x9B});
        ASSERT_EQ(host_->Ask({0x00, 0x04, 0x55}, 1), Bytes{0xAA});
        host_->Write({0x35});
        ASSERT_TRUE(sim_->WaitForMode(Mode::kBootLoaderFrames, 2s));
        ASSERT_TRUE(host_->SetLine(9600));
    }

    std::unique_ptr<Simulator> sim_;
    std::unique_ptr<HostPort> host_;
};

}  // namespace zt::sim::test
