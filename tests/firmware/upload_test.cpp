#include "firmware/upload.h"

#include <gtest/gtest.h>

#include <thread>

#include "sim/simulator.h"
#include "support/core_fixture.h"

namespace zt {
namespace {

using Bytes = std::vector<std::uint8_t>;

class UploadTest : public ::testing::Test {
  protected:
    // Every slot holds data of its own, so a slot sent twice or in the wrong
    // place shows in the keyer's memory; slot 1012 makes the high block go.
    void SetUp() override {
        BlankImage(image);
        for (int k = 0; k < kImageSlots; ++k)
            for (int i = 0; i < kSlotBytes; ++i) image[k].data[i] = std::uint8_t(k * 7 + i * 13);
        ASSERT_TRUE(sim.Start());
        waits.full = {.writeMs = 1000, .readMs = 300, .readTimeoutMs = 350, .settleMs = 5};
        port.waits() = waits.full;
        ASSERT_EQ(port.OpenDevice(sim.DevicePath()), PortOpen::Ok);
    }
    // On a thread of its own, as the dialog runs it; each log line's progress
    // is as it stood when the line was written.
    UploadResult Upload(bool recovery = false) {
        UploadJob job{&port, &image, recovery, {}, waits};
        job.log = [this](const std::string& line) {
            log.push_back(line);
            progress.push_back(status.progress);
        };
        std::thread(RunUpload, job, std::ref(status)).join();
        return status.result;
    }

    KeyerWaits waits = testing::ShortWaits();
    FirmwareImage image;
    UploadStatus status;
    sim::Simulator sim;
    Port port;
    std::vector<std::string> log;
    std::vector<int> progress;
};

// A blank slot's frame and log line; the words that are not blank, at their
// slots' own addresses; those in slots an upload leaves out do not count as
// program data.
TEST(UploadFrames, ABlankSlotsFrameAndWhatMeasureImageCountsAsFilledAndSent) {
    FirmwareImage image;
    BlankImage(image);
    const Frame f = BuildFrame(kFrameNext, image[4]);
    EXPECT_EQ(Bytes(f.begin(), f.end()),
              (Bytes{0x1B, 0x00, 0x20, 0xFF, 0x3F, 0xFF, 0x3F, 0xFF, 0x3F, 0xFF,
                     0x3F, 0xFF, 0x3F, 0xFF, 0x3F, 0xFF, 0x3F, 0xFF, 0x3F, 0xD5}));
    EXPECT_EQ(FrameLogLine(f, 0x3C), "0020 - ff3f ff3f ff3f ff3f ff3f ff3f ff3f ff3f 3c\r\n");
    EXPECT_EQ(MeasureImage(image).words, 0);
    image[960].data[0] = 0x12;  // beyond the main block: never sent
    ImageFill fill = MeasureImage(image);
    EXPECT_EQ(fill.unsentWords, 1);
    EXPECT_FALSE(HoldsProgram(image));
    image[0].data[6] = 31;                    // word 3
    image[4].addressLow = 0x21;               // a record that began at word 0x21
    image[4].data[2] = image[4].data[3] = 0;  // word 0x22
    fill = MeasureImage(image);
    EXPECT_EQ(fill.words, 3);
    EXPECT_EQ(fill.filledSlots, 3);
    EXPECT_EQ(fill.firstWord, 3);
    EXPECT_EQ(fill.lastWord, 960 * 8);
    EXPECT_TRUE(HoldsProgram(image));
    image[1000].data[0] = 0;  // the high block goes only when slot 1012 starts with data
    EXPECT_EQ(MeasureImage(image).unsentWords, 2);
    image[1012].data[0] = 0;
    EXPECT_EQ(MeasureImage(image).unsentWords, 1);
}

TEST_F(UploadTest, TheKeyerHoldsEverySlotSentInOrder) {
    EXPECT_EQ(Upload(), UploadResult::Done);
    std::vector<int> order = {1012, 1013, 1014, 1015, 1000, 1001, 1002, 1003};
    for (int k = 4; k <= 955; ++k) order.push_back(k);
    order.insert(order.end(), {0, 1, 2, 3});
    const Bytes got = sim.Received();
    ASSERT_EQ(got.size(), 7 + order.size() * kFrameSize + 1);
    EXPECT_EQ(Bytes(got.begin(), got.begin() + 7),
              (Bytes{0x00, 0x10, 0x9B, 0x00, 0x04, 0x55, 0x35}));
    EXPECT_EQ(got.back(), 0x5A);
    std::vector<bool> sent(kImageSlots);
    for (std::size_t k = 0; k < order.size(); ++k) {
        const Frame f = BuildFrame(k + 1 < order.size() ? 0x1B : 0x2E, image[order[k]]);
        ASSERT_TRUE(std::equal(f.begin(), f.end(), got.begin() + 7 + k * kFrameSize)) << k;
        sent[order[k]] = true;
    }
    // Sent slots are in program memory, the others not; every byte came at the
    // speed the keyer listened at, and the line is slow again.
    const sim::ProgramMemory memory = sim.program();
    for (int k = 0; k < kImageSlots; ++k)
        for (int i = 0; i < kSlotWords; ++i)
            ASSERT_EQ(memory[k * kSlotWords + i],
                      sent[k] ? image[k].data[2 * i] | image[k].data[2 * i + 1] << 8 : 0x3FFF)
                << "slot " << k;
    EXPECT_EQ(sim.counters().garbled, 0u);
    EXPECT_EQ(sim.HostLine().baud, 1200);

    // 0 through the high block and at slot 4, then up to 99, never 100.
    ASSERT_EQ(progress.size(), 964u);
    EXPECT_EQ(std::count(progress.begin(), progress.begin() + 9, 0), 9);
    EXPECT_EQ(progress[8 + 480 - 4], 50);
    EXPECT_EQ(progress[8 + 955 - 4], 99);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(progress.back(), 99);
    for (const std::string& line : log) EXPECT_EQ(line.size(), 51u) << line;
}

TEST_F(UploadTest, EveryOutcome) {
    struct Case {
        std::uint8_t reply;
        UploadResult result;
        const char* text;
    } replies[] = {
        {0x80, UploadResult::SofError, "Error: SOF Error !"},
        {0x81, UploadResult::ChecksumError, "Error: Checksum !"},
        {0x82, UploadResult::VerifyError, "Error: Flash Verify !"},
        {0x89, UploadResult::SyncError, "Error: ZOVOV Sync !"},
        {0x84, UploadResult::Timeout, "Error: ZOVOV Timeout !"},
        {0x88, UploadResult::StoppedEarly, "Error: ZOVOV stopped early, program it again !"},
        {0x42, UploadResult::OtherReply, "Error: Restart failed !"},
        {0x00, UploadResult::ZeroReply, "Error: Restart failed !"},
    };
    auto retry = [&](sim::Faults f) {
        sim.SetFaults(f);
        sim.ClearReceived();
        port.lineSettings().baudRate = 1200;  // as the next detection opens it
        ASSERT_TRUE(port.ApplyLineSettings());
    };
    for (const Case& c : replies) {
        sim::Faults f;
        f.frameFaultAt = 3;
        f.frameFaultCode = c.reply;
        retry(f);
        EXPECT_EQ(Upload(), c.result) << int(c.reply);
        EXPECT_EQ(UploadResultText(status.result), std::string(c.text)) << int(c.reply);
        EXPECT_EQ(sim.Received().size(), 7u + 3 * kFrameSize) << "nothing after the reply";
    }
    // 88 is done only as the reply to the last frame.
    sim::Faults last;
    last.frameFaultAt = 964;
    last.frameFaultCode = 0x88;
    retry(last);
    EXPECT_EQ(Upload(), UploadResult::Done);
    EXPECT_EQ(sim.Received().size(), 7u + 964 * kFrameSize);
    sim::Faults f;
    f.syncReply = 0x55;  // as the running firmware echoes
    retry(f);
    EXPECT_EQ(Upload(), UploadResult::NoBootLoader);
    f.silent = true;
    retry(f);
    EXPECT_EQ(Upload(), UploadResult::Timeout);
    retry({});
    port.lineSettings().byteSize = 9;  // a setting the port cannot take
    EXPECT_EQ(Upload(), UploadResult::SpeedFailed);
    for (UploadResult code : {UploadResult::NoBootLoader, UploadResult::SpeedFailed})
        EXPECT_EQ(UploadResultText(code), std::string("Error: Restart failed !"));
}

// Every write of the upload is checked: one that does not go out ends it at
// once, with the port's reason, and nothing more is sent.
TEST_F(UploadTest, AWriteThatDoesNotGoOutEndsTheUploadWithItsCause) {
    sim::Faults hold;
    hold.stallAfter = 7 + 2 * kFrameSize;  // the keyer takes two frames, then holds the line
    sim.SetFaults(hold);
    waits.full.writeMs = 200;
    EXPECT_EQ(Upload(), UploadResult::NotSent);
    EXPECT_EQ(UploadResultText(status.result, status.cause),
              "Error: Write failed: nothing went out in 200 ms !");
    EXPECT_EQ(log.size(), 2u);  // the third frame has no reply to show
    EXPECT_EQ(sim.Received().size(), 7u + 2 * kFrameSize);
    EXPECT_EQ(sim.counters().framesStored, 2u);

    sim.Stop();  // the line drops: the hand-over of the next upload cannot go out
    log.clear();
    EXPECT_EQ(Upload(), UploadResult::NotSent);
    EXPECT_EQ(UploadResultText(status.result, status.cause),
              "Error: Write failed: the line hung up !");
    EXPECT_TRUE(log.empty());
}

// A stop asked for mid-upload lets the frame on the line finish and sends no
// other; the stage says how far the keyer got, which decides how to bring it
// back. A line that drops while a reply is awaited is no time-out.
TEST_F(UploadTest, AStopEndsBetweenFramesAndEveryEndSaysHowFarItGot) {
    UploadJob job{&port, &image, false, {}, waits};
    int lines = 0;
    job.log = [&](const std::string&) {
        if (++lines == 3) status.stopRequested = true;  // while the third frame's reply is in
    };
    std::thread(RunUpload, job, std::ref(status)).join();
    EXPECT_EQ(status.result, UploadResult::Stopped);
    EXPECT_EQ(status.stage, UploadStage::Programming);
    EXPECT_EQ(sim.Received().size(), 7u + 3 * kFrameSize);
    EXPECT_EQ(sim.counters().framesStored, 3u);

    sim::Faults drop;
    drop.hangUpAfter = 3;  // the hand-over, then the line drops before the sync
    sim.SetFaults(drop);
    status.stopRequested = false;
    port.lineSettings().baudRate = 1200;
    ASSERT_TRUE(port.ApplyLineSettings());
    EXPECT_EQ(Upload(), UploadResult::ReadFailed);
    EXPECT_EQ(status.stage, UploadStage::HandOverSent);
    EXPECT_EQ(UploadResultText(status.result, status.cause),
              "Error: Read failed: the line hung up !");
}

}  // namespace
}  // namespace zt
