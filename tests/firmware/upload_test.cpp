#include "firmware/upload.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "sim/simulator.h"

namespace zt {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr UploadWaits kShortWaits{100, 100, 0};

Bytes FrameBytes(const Frame& f) {
    return Bytes(f.begin(), f.end());
}

// Every slot holds data of its own, so a slot sent twice or in the wrong
// place shows in the keyer's memory.
FirmwareImage Numbered() {
    FirmwareImage image;
    BlankImage(image);
    for (int k = 0; k < kImageSlots; ++k)
        for (int i = 0; i < kSlotBytes; ++i)
            image[k].data[i] = static_cast<std::uint8_t>(k * 7 + i * 13 + (i & 1));
    image[1012].data[0] = 0x01;  // the high block goes too
    return image;
}

std::vector<int> ExpectedOrder(bool highBlock) {
    std::vector<int> order;
    if (highBlock) order = {1012, 1013, 1014, 1015, 1000, 1001, 1002, 1003};
    for (int k = 4; k <= 955; ++k) order.push_back(k);
    for (int k : {0, 1, 2, 3}) order.push_back(k);
    return order;
}

class UploadTest : public ::testing::Test {
  protected:
    void SetUp() override { image = Numbered(); }
    void TearDown() override {
        port.Close();
        if (sim) sim->Stop();
    }
    void StartKeyer(sim::Faults faults = {}, bool bootLoaderOnly = false) {
        sim::Config c;
        c.faults = faults;
        c.bootLoaderOnly = bootLoaderOnly;
        sim = std::make_unique<sim::Simulator>(c);
        std::string error;
        ASSERT_TRUE(sim->Start(&error)) << error;
        port.waits() = {.writeMs = 1000, .readMs = 300, .readTimeoutMs = 350, .settleMs = 5};
        ASSERT_EQ(port.OpenDevice(sim->DevicePath()), kPortOk);
    }
    // On a thread of its own, as the dialog runs it; the log lines with the
    // progress as it stood when each was written.
    int Upload(bool recovery = false) {
        UploadJob job{&port, &image, recovery, {}, kShortWaits};
        job.log = [this](const std::string& line) {
            log.push_back(line);
            progress.push_back(status.progress);
        };
        std::thread worker(RunUpload, job, std::ref(status));
        worker.join();
        return status.result;
    }
    // What the keyer took after the opening bytes, as frames.
    std::vector<Bytes> Frames(std::size_t opening) {
        Bytes got = sim->Received();
        EXPECT_GE(got.size(), opening);
        std::vector<Bytes> frames;
        for (std::size_t at = opening; at + kFrameSize <= got.size(); at += kFrameSize)
            frames.emplace_back(got.begin() + at, got.begin() + at + kFrameSize);
        return frames;
    }

    FirmwareImage image;
    UploadStatus status;
    Port port;
    std::unique_ptr<sim::Simulator> sim;
    std::vector<std::string> log;
    std::vector<int> progress;
};

TEST(UploadFrames, BlankSlotFrameAndLogLine) {
    FirmwareImage image;
    BlankImage(image);
    const Frame f = BuildFrame(kFrameNext, image[4]);
    EXPECT_EQ(FrameBytes(f), (Bytes{0x1B, 0x00, 0x20, 0xFF, 0x3F, 0xFF, 0x3F, 0xFF, 0x3F, 0xFF,
                                    0x3F, 0xFF, 0x3F, 0xFF, 0x3F, 0xFF, 0x3F, 0xFF, 0x3F, 0xD5}));
    EXPECT_EQ(FrameLogLine(f, 0x3C), "0020 - ff3f ff3f ff3f ff3f ff3f ff3f ff3f ff3f 3c\r\n");
}

TEST_F(UploadTest, TheKeyerHoldsEverySlotSentInOrder) {
    StartKeyer();
    EXPECT_EQ(Upload(), kUploadDone);
    EXPECT_EQ(status.progress, 99);
    const Bytes got = sim->Received();
    ASSERT_EQ(got.size(), 7 + 964 * kFrameSize + 1);
    EXPECT_EQ(Bytes(got.begin(), got.begin() + 7),
              (Bytes{0x00, 0x10, 0x9B, 0x00, 0x04, 0x55, 0x35}));
    EXPECT_EQ(got.back(), 0x5A);
    const std::vector<Bytes> frames = Frames(7);
    const std::vector<int> order = ExpectedOrder(true);
    for (std::size_t k = 0; k < order.size(); ++k) {
        const bool last = k + 1 == order.size();
        EXPECT_EQ(frames[k], FrameBytes(BuildFrame(last ? 0x2E : 0x1B, image[order[k]]))) << k;
    }

    // Sent slots are in program memory; slots 956 and up outside the high block are not.
    const sim::ProgramMemory memory = sim->program();
    std::vector<bool> sent(kImageSlots);
    for (int k : order) sent[k] = true;
    for (int k = 0; k < kImageSlots; ++k)
        for (int i = 0; i < kSlotWords; ++i) {
            const int word =
                sent[k] ? image[k].data[2 * i] | image[k].data[2 * i + 1] << 8 : 0x3FFF;
            ASSERT_EQ(memory[k * kSlotWords + i], word) << "slot " << k;
        }
    // Every byte arrived at the speed the keyer listened at, and the line is slow again.
    EXPECT_EQ(sim->counters().garbled, 0u);
    EXPECT_EQ(sim->counters().restarts, 1u);
    EXPECT_EQ(sim->HostLine().baud, 1200);

    // Progress: 0 through the high block and at slot 4, then up to 99, never 100.
    ASSERT_EQ(progress.size(), 964u);
    for (int k = 0; k < 9; ++k) EXPECT_EQ(progress[k], 0) << k;
    EXPECT_EQ(progress[8 + 480 - 4], 50);
    EXPECT_EQ(progress[8 + 955 - 4], 99);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(progress.back(), 99);
    for (const std::string& line : log) EXPECT_EQ(line.size(), 51u) << line;
}

TEST_F(UploadTest, WithoutAHighBlockAndInRecovery) {
    image[1012].data[0] = 0xFF;
    StartKeyer({}, true);
    EXPECT_EQ(Upload(true), kUploadDone);
    const Bytes got = sim->Received();
    ASSERT_EQ(got.size(), 4 + 956 * kFrameSize + 1);
    EXPECT_EQ(Bytes(got.begin(), got.begin() + 4), (Bytes{0x00, 0x04, 0x55, 0x35}));
    const std::vector<Bytes> frames = Frames(4);
    const std::vector<int> order = ExpectedOrder(false);
    for (std::size_t k = 0; k < order.size(); ++k) {
        EXPECT_EQ(frames[k][1] << 8 | frames[k][2], order[k] * 8) << k;
        EXPECT_EQ(frames[k][0], k + 1 == order.size() ? 0x2E : 0x1B) << k;
    }
    EXPECT_EQ(log.front(), FrameLogLine(BuildFrame(0x1B, image[4]), 0x3C));
}

TEST_F(UploadTest, EveryOutcome) {
    struct Case {
        std::uint8_t reply;
        int result;
        const char* text;
    } replies[] = {
        {0x80, 0x80, "Error: SOF Error !"},
        {0x81, 0x81, "Error: Checksum !"},
        {0x82, 0x82, "Error: Flash Verify !"},
        {0x89, 0x89, "Error: ZOVOV Sync !"},
        {0x88, 0x88, "Upload Completed Successfully"},  // mid-way, as the keyer says so
        {0x84, 0x84, "Error: ZOVOV Timeout !"},
        {0x42, 0x42, "Error: Restart failed !"},
        {0x00, kUploadZeroReply, "Error: Restart failed !"},
    };
    StartKeyer();
    for (const Case& c : replies) {
        sim::Faults f;
        f.frameFaultAt = 3;
        f.frameFaultCode = c.reply;
        sim->SetFaults(f);
        sim->ClearReceived();
        sim->PowerCycle();  // firmware again, as after a failed upload and a power cycle
        port.lineSettings().baudRate = 1200;
        ASSERT_EQ(port.ApplyLineSettings(), 1);
        EXPECT_EQ(Upload(), c.result) << int(c.reply);
        EXPECT_EQ(UploadResultText(status.result), std::string(c.text)) << int(c.reply);
        EXPECT_EQ(sim->Received().size(), 7u + 3 * kFrameSize) << "nothing after the reply";
    }
    EXPECT_EQ(UploadResultText(kUploadNoBootLoader), std::string("Error: Restart failed !"));
    EXPECT_EQ(UploadResultText(kUploadSpeedFailed), std::string("Error: Restart failed !"));
}

TEST_F(UploadTest, NoBootLoaderOrNoSpeedChange) {
    StartKeyer();
    EXPECT_EQ(Upload(true), kUploadNoBootLoader);  // the running firmware echoes 55
    sim::Faults silent;
    silent.silent = true;
    sim->SetFaults(silent);
    EXPECT_EQ(Upload(true), kUploadTimeout);
    sim->SetFaults({});
    sim->PowerCycle();
    port.lineSettings().byteSize = 9;  // a setting the port cannot take
    EXPECT_EQ(Upload(), kUploadSpeedFailed);
    EXPECT_TRUE(log.empty());
}

TEST_F(UploadTest, KeyerVanishesMidUpload) {
    sim::Faults vanish;
    vanish.hangUpAfter = 7 + 10 * kFrameSize;
    StartKeyer(vanish);
    EXPECT_EQ(Upload(), kUploadTimeout);
    EXPECT_EQ(log.size(), 11u);  // ten answered, the eleventh met the hang-up
    EXPECT_TRUE(port.HungUp());
}

}  // namespace
}  // namespace zt
