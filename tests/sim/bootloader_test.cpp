// The simulator's boot loader: sync, speed change, frames, restart, and
// the state files that keep what was written.

#include <sys/stat.h>

#include <fstream>

#include "sim_fixture.h"

namespace zt::sim::test {
namespace {

Bytes Data(std::uint8_t seed) {
    return Pattern(16, seed);
}

void ExpectWords(const ProgramMemory& memory, unsigned word, const Bytes& data16) {
    for (unsigned i = 0; i < 8; ++i)
        EXPECT_EQ(memory[word + i], data16[2 * i] | data16[2 * i + 1] << 8) << "word " << word + i;
}

TEST_F(SimTest, TakesAnUploadAndRestartsIntoTheFirmware) {
    Start();
    EnterFrames();
    EXPECT_EQ(host_->Ask(Frame(0x1B, 0x0020, Data(1)), 1), Bytes{0x3C});
    EXPECT_EQ(host_->Ask(Frame(0x1B, 0x1FA0, Data(2)), 1), Bytes{0x3C});
    EXPECT_EQ(host_->Ask(Frame(0x2E, 0x0000, Data(3)), 1), Bytes{0x3C});
    host_->Write({0x5A});
    ASSERT_TRUE(sim_->WaitForMode(Mode::kFirmware, 2s));

    ProgramMemory memory = sim_->program();
    ExpectWords(memory, 0x0020, Data(1));
    ExpectWords(memory, 0x1FA0, Data(2));
    ExpectWords(memory, 0x0000, Data(3));
    EXPECT_EQ(memory[0x0028], kBlankWord);
    Counters c = sim_->counters();
    EXPECT_EQ(c.framesStored, 3u);
    EXPECT_EQ(c.restarts, 1u);

    ASSERT_TRUE(host_->SetLine(1200));
    EXPECT_EQ(host_->Ask({0x00, 0x04, 0x55}, 1), Bytes{0x55});
}

TEST_F(SimTest, RefusesBadFramesAndStartsOverAtTheSync) {
    Start();
    EnterFrames();
    Bytes bad = Frame(0x1B, 0x0030, Data(4));
    bad[10] ^= 0x01;
    EXPECT_EQ(host_->Ask(bad, 1), Bytes{0x81});
    EXPECT_EQ(sim_->mode(), Mode::kBootLoader);  // back at 1200, waiting for the sync
    EXPECT_EQ(sim_->program()[0x0030], kBlankWord);

    // The boot loader wants its sync at 1200 again before more frames.
    ASSERT_TRUE(host_->SetLine(1200));
    EXPECT_EQ(host_->Ask({0x00, 0x04, 0x55}, 1), Bytes{0xAA});
    host_->Write({0x35});
    ASSERT_TRUE(sim_->WaitForMode(Mode::kBootLoaderFrames, 2s));
    ASSERT_TRUE(host_->SetLine(9600));
    // Beyond the 8192 words of program memory.
    EXPECT_EQ(host_->Ask(Frame(0x1B, 0x1FFC, Data(5)), 1), Bytes{0x82});

    ASSERT_TRUE(host_->SetLine(1200));
    host_->Write({0x35});
    ASSERT_TRUE(sim_->WaitForMode(Mode::kBootLoaderFrames, 2s));
    ASSERT_TRUE(host_->SetLine(9600));
    // Anything but a frame start where a frame should begin.
    EXPECT_EQ(host_->Ask({0x00}, 1), Bytes{0x80});
    EXPECT_EQ(sim_->counters().framesRefused, 2u);
    EXPECT_EQ(sim_->counters().framesStored, 0u);
}

TEST_F(SimTest, GarblesWhatArrivesAtTheWrongLineSettings) {
    Start();
    // Firmware at 1200; the host talks at 9600.
    ASSERT_TRUE(host_->SetLine(9600));
    host_->Write({0x00, 0x04, 0x55});
    ExpectNoReply();
    EXPECT_EQ(sim_->counters().garbled, 3u);
    // Right speed, wrong framing.
    ASSERT_TRUE(host_->SetLine(1200, true));
    host_->Write({0x00, 0x04, 0x55});
    ExpectNoReply();

    ASSERT_TRUE(host_->SetLine(1200));
    EnterFrames();
    // The host forgets the speed change: the frame is noise, nothing stored.
    ASSERT_TRUE(host_->SetLine(1200));
    host_->Write(Frame(0x1B, 0x0020, Data(6)));
    ExpectNoReply();
    EXPECT_EQ(sim_->counters().garbled, 26u);
    EXPECT_EQ(sim_->program()[0x0020], kBlankWord);
    EXPECT_EQ(sim_->mode(), Mode::kBootLoaderFrames);

    ASSERT_TRUE(host_->SetLine(9600));
    EXPECT_EQ(host_->Ask(Frame(0x1B, 0x0020, Data(6)), 1), Bytes{0x3C});
    ExpectWords(sim_->program(), 0x0020, Data(6));
}

TEST_F(SimTest, BootLoaderOnlyKeyerAnswersAaUntilRestarted) {
    Config config;
    config.bootLoaderOnly = true;
    Start(config);
    EXPECT_EQ(sim_->mode(), Mode::kBootLoader);
    EXPECT_EQ(host_->Ask({0x00, 0x04, 0x55}, 1), Bytes{0xAA});
    host_->Write({0x00, 0x09});  // no firmware to answer it
    ExpectNoReply();

    host_->Write({0x35});
    ASSERT_TRUE(sim_->WaitForMode(Mode::kBootLoaderFrames, 2s));
    ASSERT_TRUE(host_->SetLine(9600));
    EXPECT_EQ(host_->Ask(Frame(0x2E, 0x0000, Data(7)), 1), Bytes{0x3C});
    host_->Write({0x5A});
    ASSERT_TRUE(sim_->WaitForMode(Mode::kFirmware, 2s));
    ASSERT_TRUE(host_->SetLine(1200));
    EXPECT_EQ(host_->Ask({0x00, 0x04, 0x55}, 1), Bytes{0x55});
}

TEST_F(SimTest, InjectedReplyLandsOnTheChosenFrame) {
    Config config;
    config.faults.frameFaultAt = 2;
    config.faults.frameFaultCode = 0x82;
    Start(config);
    EnterFrames();
    EXPECT_EQ(host_->Ask(Frame(0x1B, 0x0020, Data(8)), 1), Bytes{0x3C});
    EXPECT_EQ(host_->Ask(Frame(0x1B, 0x0028, Data(9)), 1), Bytes{0x82});
    EXPECT_EQ(sim_->program()[0x0028], kBlankWord);
    EXPECT_EQ(sim_->mode(), Mode::kBootLoader);
}

TEST_F(SimTest, PowerCycleFindsOnlyTheBootLoaderAfterAnUnfinishedUpload) {
    Start();
    sim_->PowerCycle();
    EXPECT_EQ(sim_->mode(), Mode::kFirmware);
    EnterFrames();
    EXPECT_EQ(host_->Ask(Frame(0x1B, 0x0020, Data(10)), 1), Bytes{0x3C});
    sim_->PowerCycle();
    EXPECT_EQ(sim_->mode(), Mode::kBootLoader);
    ASSERT_TRUE(host_->SetLine(1200));
    EXPECT_EQ(host_->Ask({0x00, 0x04, 0x55}, 1), Bytes{0xAA});
}

TEST_F(SimTest, SavesAndLoadsItsState) {
    TempConfigHome home;
    Config config;
    config.programPath = home.dir() + "/program.bin";
    Start(config);
    SettingsBytes settings{};
    Bytes pattern = Pattern(300, 9);
    std::copy(pattern.begin(), pattern.end(), settings.begin());
    sim_->SetSettings(settings);
    EnterFrames();
    EXPECT_EQ(host_->Ask(Frame(0x2E, 0x0040, Data(11)), 1), Bytes{0x3C});
    host_->Write({0x5A});
    ASSERT_TRUE(sim_->WaitForMode(Mode::kFirmware, 2s));

    // Written at the restart, low byte of each word first.
    ProgramMemory onDisk{};
    ASSERT_TRUE(ReadProgramFile(config.programPath, &onDisk));
    EXPECT_EQ(onDisk, sim_->program());
    std::ifstream raw(config.programPath, std::ios::binary);
    raw.seekg(2 * 0x0040);
    Bytes first(2);
    raw.read(reinterpret_cast<char*>(first.data()), 2);
    Bytes data = Data(11);
    EXPECT_EQ(first, Bytes(data.begin(), data.begin() + 2));

    std::string settingsFile = home.dir() + "/keyer.eep";
    std::string programFile = home.dir() + "/copy.bin";
    ASSERT_TRUE(sim_->SaveSettings(settingsFile));
    ASSERT_TRUE(sim_->SaveProgram(programFile));
    struct stat st {};
    ASSERT_EQ(stat(settingsFile.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, 300);

    Simulator other;
    ASSERT_TRUE(other.LoadSettings(settingsFile));
    ASSERT_TRUE(other.LoadProgram(programFile));
    EXPECT_EQ(other.settings(), sim_->settings());
    EXPECT_EQ(other.program(), sim_->program());

    // A file of the older 288-byte layout fills the main block only.
    { std::ofstream(settingsFile, std::ios::binary | std::ios::trunc) << std::string(288, 'x'); }
    ASSERT_TRUE(other.LoadSettings(settingsFile));
    EXPECT_EQ(other.settings()[287], 'x');
    EXPECT_EQ(other.settings()[288], pattern[288]);
    { std::ofstream(settingsFile, std::ios::binary | std::ios::trunc) << std::string(299, 'x'); }
    EXPECT_FALSE(other.LoadSettings(settingsFile));
    EXPECT_FALSE(other.LoadProgram(settingsFile));
}

}  // namespace
}  // namespace zt::sim::test
