// Program in the core alone: its checks in order against the virtual keyer,
// then the upload driver to its end. The uploader dialog's showing of them is
// tests/app/uploader_test.cpp's.
#include "firmware/program.h"

#include <gtest/gtest.h>

#include <chrono>
#include <system_error>
#include <thread>

#include "firmware/upload.h"
#include "sim/simulator.h"

namespace zt {
namespace {

using Bytes = std::vector<std::uint8_t>;

class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sim.Start());
        port.waits() = {.writeMs = 1000, .readMs = 300, .readTimeoutMs = 350, .settleMs = 5};
        target.device = sim.DevicePath();
    }
    // As a load of an image for family leaves it: version 31, a word at 0x20.
    static LoadedImage Loaded(int family) {
        LoadedImage f;
        BlankImage(f.image);
        f.image[0].data[6] = 31;
        f.image[0].data[7] = static_cast<std::uint8_t>(family);
        f.image[4].data[0] = 1;
        f.result = 2;
        f.loaded = true;
        f.identity = IdentifyImage(f.image[0]);
        return f;
    }

    sim::Simulator sim;
    Port port;
    PortTarget target;
};

TEST_F(ProgramTest, TheImagesChecksComeFirstAndOnlyThenTheKeyers) {
    LoadedImage nothing, failedLater = Loaded(5), empty = Loaded(5), blank = Loaded(5);
    nothing.result = 2;  // not loaded
    failedLater.result = kLoadNoEnd;
    empty.result = 0;
    BlankImage(blank.image);
    struct Case {
        const LoadedImage& firmware;
        ProgramCheck check;
        const char* text;
    } cases[] = {
        {nothing, ProgramCheck::NoFile, "Error: Please Open a Programming File !"},
        {failedLater, ProgramCheck::NoFile, "Error: Please Open a Programming File !"},
        {empty, ProgramCheck::ZeroLength, "Error: Zero Length File !"},
        {blank, ProgramCheck::NoProgramData, "Error: No Program Data in File !"},
    };
    for (const Case& c : cases) {
        const ProgramStart s = PrepareProgram(port, target, {}, c.firmware);
        EXPECT_EQ(s.check, c.check) << c.text;
        EXPECT_EQ(s.text, c.text);
        EXPECT_FALSE(s.detection || s.Goes());
    }
    EXPECT_FALSE(port.IsOpen());
    EXPECT_TRUE(sim.Received().empty());

    ProgramStart s = PrepareProgram(port, target, {}, Loaded(55));
    EXPECT_EQ(s.check, ProgramCheck::WrongImage);
    EXPECT_EQ(s.text, "Error: Attempting to program an SMT ZT with a DIP image !");
    EXPECT_EQ(sim.Received(), (Bytes{0, 4, 0x55, 0, 9, 0, 0x17, 0, 0x18}));

    sim::Faults silent;
    silent.silent = true;
    sim.SetFaults(silent);
    s = PrepareProgram(port, target, {}, Loaded(5));
    EXPECT_EQ(s.check, ProgramCheck::NotConnected);
    EXPECT_EQ(s.text, "ZT not connected");
    ASSERT_TRUE(s.detection);
    EXPECT_EQ(s.detection->linkStatus, "ZT Fail:no response");
}

// Started, polled without ever waiting for the worker, and joined once it
// has stored its result; a worker that cannot start is said at once.
TEST_F(ProgramTest, TheDriverFollowsTheUploadToItsResult) {
    const LoadedImage firmware = Loaded(5);
    const ProgramStart s = PrepareProgram(port, target, {}, firmware);
    ASSERT_EQ(s.check, ProgramCheck::Upload);
    EXPECT_EQ(s.text, "Programming ZOVOV....");
    const UploadJob job{&port, &firmware.image, false, {}, {100, 100, 0}};

    UploadDriver upload;
    EXPECT_FALSE(upload.Start(job, [](std::function<void()>) -> std::thread {
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    }));
    EXPECT_FALSE(upload.Running());
    EXPECT_EQ(UploadResultText(kUploadNotStarted), "Error: Upload could not be started !");

    ASSERT_TRUE(upload.Start(job));
    UploadPoll p;
    for (auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
         !p.result && std::chrono::steady_clock::now() < until;) {
        EXPECT_TRUE(upload.Running());
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        p = upload.Poll();
    }
    ASSERT_TRUE(p.result);
    EXPECT_EQ(*p.result, kUploadDone);
    EXPECT_EQ(p.text, "Upload Completed Successfully");
    EXPECT_EQ(p.progress, 99);
    EXPECT_FALSE(upload.Running());
    EXPECT_FALSE(upload.Poll().result);  // shown once
    EXPECT_EQ(sim.program()[0x20], 0x3F01);  // the byte at 0x20, over a blank word
}

}  // namespace
}  // namespace zt
