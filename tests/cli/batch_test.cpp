// ztcli on several virtual keyers at once: each keyer on its own, one that
// fails ending alone, the files per keyer, the summary and the exit status.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "app/session.h"
#include "cli/json.h"
#include "firmware/upload.h"
#include "resources/ids.h"
#include "settings/image.h"
#include "settings/messages.h"
#include "settings/schema.h"
#include "settings/settings_file.h"
#include "support/cli_run.h"
#include "support/keyer_fixture.h"

namespace zt {
namespace {

using Outcome = testing::CliOutcome;

// Bytes a keyer takes before the first frame of an upload: detection, the
// hand-over, the boot loader's sync and 35.
constexpr std::size_t kBeforeFrames = 16;

class BatchTest : public testing::KeyerTest {
  protected:
    static Outcome Cli(std::vector<std::string> args, bool terminal = false) {
        return testing::RunZtcli(std::move(args), terminal, "", 60);
    }
    // Keyers as COM21, COM22, ... in the order given.
    void Keyers(const std::vector<sim::Faults>& faults, int dipAt = -1) {
        for (std::size_t i = 0; i < faults.size(); ++i)
            startKeyer(Keyer(int(i) == dipAt ? kVariantDip : kVariantSmt, 31, 5), faults[i], false,
                       21 + int(i));
    }
    sim::Simulator& Sim(int com) { return *sims[std::size_t(com - 21)]; }
    std::string Path(const std::string& name) { return dir.path() + "/" + name; }
    std::string Image() { return testing::FirmwareFile(Path("smt.bin"), 5); }
    // The summary's row for a port.
    static std::string Row(const Outcome& r, const std::string& port) {
        const std::size_t at = r.out.find("\n" + port + " ");
        return at == std::string::npos ? "" : r.out.substr(at + 1, r.out.find('\n', at + 1) - at);
    }
};

// Factory settings with user 1's favourite speed at wpm.
sim::SettingsBytes Settings(int wpm) {
    SettingsImage image{};
    LoadDefaults(image);
    EXPECT_FALSE(EncodeMessages(MessageTexts{}, image));
    At(image, User::One, Field::FavoriteWpm) = std::uint8_t(wpm);
    return testing::ToSim(image);
}

// Every keyer read into a file of its own, written from one file, and
// compared with its own file; a name that two keyers would share is refused
// before any keyer is asked, or, when only their chips tell, before either
// file is written.
TEST_F(BatchTest, EachKeyerGetsItsOwnFile) {
    Keyers({{}, {}, {}}, 2);
    for (int com : {21, 22, 23}) Sim(com).SetSettings(Settings(com));
    Outcome r = Cli({"read", "--port", "all", Path("k-{com}-{chip}.eep")});
    ASSERT_EQ(r.status, 0) << r.err;
    for (auto [com, chip] : {std::pair{21, "SMT"}, {22, "SMT"}, {23, "DIP"}}) {
        SettingsImage image{};
        const std::string file = Path("k-" + std::to_string(com) + "-" + chip + ".eep");
        ASSERT_EQ(ReadSettingsFile(file, image), SettingsFileResult::Ok) << file;
        EXPECT_EQ(At(image, User::One, Field::FavoriteWpm), com);
        EXPECT_NE(Row(r, "COM" + std::to_string(com)).find(" ok "), std::string::npos) << r.out;
    }
    Sim(21).ClearReceived();
    r = Cli({"read", "--port", "21,22", Path("one.eep")});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("names one file for every keyer"), std::string::npos) << r.err;
    EXPECT_TRUE(Sim(21).Received().empty());
    r = Cli({"read", "--port", "21,22", Path("k-{chip}.eep")});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("would hold the settings of COM22 too"), std::string::npos) << r.err;
    EXPECT_FALSE(std::ifstream(Path("one.eep")) || std::ifstream(Path("k-SMT.eep")));

    r = Cli({"write", "--port", "COM21,22,23", Path("k-21-SMT.eep")});
    EXPECT_EQ(r.status, 0) << r.err;
    for (int com : {21, 22, 23}) EXPECT_EQ(Sim(com).settings(), Settings(21));
    r = Cli({"diff", "keyer", Path("k-{com}-SMT.eep"), "--port", "21,22"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.find("COM21: "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("COM22: "), std::string::npos) << r.out;
}

// One keyer silent, one of another chip, one whose line drops partway
// through its upload: each ends alone, with its own words, and the others
// are programmed. Nothing but detection reaches the keyers that fail their
// checks.
TEST_F(BatchTest, AKeyerThatFailsEndsAloneAndTheOthersFinish) {
    sim::Faults silent, drop;
    silent.silent = true;
    drop.hangUpAfter = kBeforeFrames + 5 * kFrameSize;
    Keyers({{}, silent, {}, drop, {}}, 2);
    const std::string image = Image();
    const Outcome r = Cli({"upload", "--port", "21,22,23,24,25", image});
    EXPECT_EQ(r.status, 1);
    for (int com : {21, 25}) {
        EXPECT_EQ(Sim(com).program()[0x20], 0x0201) << com;
        EXPECT_NE(Row(r, "COM" + std::to_string(com)).find("SMT 31.05  SMT 31.05  ok"),
                  std::string::npos)
            << r.out;
    }
    EXPECT_EQ(Sim(22).counters().framesStored + Sim(23).counters().framesStored, 0u);
    EXPECT_EQ(Sim(23).Received(),
              (std::vector<std::uint8_t>{0, 4, 0x55, 0, 9, 0, 0x17, 0, 0x18}));  // detection alone
    EXPECT_EQ(Sim(24).counters().framesStored, 5u);
    EXPECT_NE(Row(r, "COM24").find("failed"), std::string::npos);
    EXPECT_NE(Row(r, "COM24").find("needs programming again"), std::string::npos);
    // Failed ports come last, each with its cause; then those to program again.
    EXPECT_GT(r.out.find("COM22"), r.out.find("COM25"));
    for (const std::string& cause : std::vector<std::string>{
             "COM22, from --port 21,22,23,24,25: ZT not connected",
             "COM23, from --port 21,22,23,24,25: Error: Attempting to program a DIP ZT "
             "with an SMT image",
             "COM24, from --port 21,22,23,24,25: Error: ",
             "to be programmed again: COM24 (ztcli upload --port 24 " + image + ")"})
        EXPECT_NE(r.err.find(cause), std::string::npos) << cause << "\n" << r.err;
}

// A backup that fails keeps its keyer from being programmed; a backup name
// every keyer would share is refused before any keyer is asked.
TEST_F(BatchTest, NoKeyerIsProgrammedWithoutItsOwnBackup) {
    sim::Faults cut;
    cut.hangUpAfter = 9 + 9 + 2;  // the backup's read: the main block, then the line drops
    Keyers({{}, cut});
    Outcome r = Cli({"upload", "--port", "21,22", "--backup", Path("b.eep"), Image()});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(Sim(21).Received().empty());
    r = Cli({"upload", "--port", "21,22", "--backup", Path("b-{com}.eep"), "--json", Image()});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(Sim(21).program()[0x20], 0x0201);
    EXPECT_EQ(Sim(22).counters().framesStored, 0u);
    EXPECT_TRUE(std::ifstream(Path("b-21.eep")));
    EXPECT_FALSE(std::ifstream(Path("b-22.eep")));
    const cli::Json records = cli::Json::parse(r.out);
    ASSERT_EQ(records.size(), 2u) << r.out;
    EXPECT_EQ(records[0]["result"], "ok");
    EXPECT_EQ(records[0]["after"]["link_status"], "ZT F/W ver 31.05");
    EXPECT_EQ(records[1]["result"], "failed");
    EXPECT_FALSE(records[1]["program_again"]);
    for (const char* words : {"ZT Fail:extension read short", "nothing was programmed"})
        EXPECT_NE(r.err.find(words), std::string::npos) << words << "\n" << r.err;
}

// Ctrl+C: no keyer takes a frame after it, each upload says it was stopped,
// and the summary names the keyers to program again.
TEST_F(BatchTest, CtrlCStopsEveryUploadBetweenFrames) {
    Keyers({{}, {}});
    for (int com : {21, 22}) Sim(com).SetPacing(true);
    std::thread user([this] {
        while (Sim(22).counters().framesStored < 2)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        kill(getpid(), SIGINT);
    });
    const Outcome r = Cli({"upload", "--port", "21,22", Image()});
    user.join();
    EXPECT_EQ(r.status, 130);
    for (int com : {21, 22}) {
        const sim::Counters n = Sim(com).counters();
        EXPECT_LT(n.framesStored, 100u);
        EXPECT_EQ(Sim(com).Received().size(), kBeforeFrames + n.framesStored * kFrameSize);
    }
    EXPECT_NE(Row(r, "COM21").find("stopped"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("to be programmed again: COM21, COM22"), std::string::npos) << r.err;
}

// A port another program holds: named alone, it is refused at the open (no
// detection waited out); in a list it fails; with all it is skipped and the
// others go on. None of these sends it a byte.
TEST_F(BatchTest, APortAnotherProgramHoldsIsNeverTouched) {
    Keyers({{}, {}});
    session.comPortNumber = 22;
    ui::Window& w = openMain();
    ui::click(w, ids::kTestZt);  // the window keeps COM22 open
    Sim(22).ClearReceived();
    EXPECT_EQ(Cli({"test", "--port", "22"}).status, 3);
    Outcome r = Cli({"test", "--port", "21,22"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("COM22, from --port 21,22: "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("in use by another program"), std::string::npos) << r.err;
    r = Cli({"test", "--port", "all"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(Row(r, "COM22").find("skipped"), std::string::npos) << r.out;
    EXPECT_NE(Row(r, "COM21").find("PotValue: 128"), std::string::npos) << r.out;
    EXPECT_TRUE(Sim(22).Received().empty());
}

// What --port takes, and all that finds a silent keyer beside one that
// answers, then no keyer at all.
TEST_F(BatchTest, ListsAndAllThatFindsNoKeyer) {
    sim::Faults silent;
    silent.silent = true;
    Keyers({silent, {}});
    for (const char* wrong : {"21,,22", "21,auto", "21,99"})
        EXPECT_EQ(Cli({"test", "--port", wrong}).status, 2) << wrong;
    EXPECT_EQ(Cli({"test", "--port", "47,48"}).status, 3);  // no such devices
    Outcome r = Cli({"test", "--port", "22,COM22"});        // one port, named twice
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.find("COM22", r.out.find("COM22") + 1), std::string::npos) << r.out;
    const std::string silent21 = "COM21 (" + Sim(21).LinkPath() + "): no answer";
    r = Cli({"test", "--port", "all"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("no keyer on " + silent21), std::string::npos) << r.err;
    Sim(22).Stop();
    r = Cli({"test", "--port", "all", "--json"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("--port all: no keyer answered: "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(silent21), std::string::npos) << r.err;
    EXPECT_EQ(cli::Json::parse(r.out)[0]["result"], "no keyer") << r.out;
}

// Lines as the ports go: redrawn in place on a terminal; elsewhere whole
// lines, each beginning with its port, at each stage.
TEST_F(BatchTest, EachPortHasItsLine) {
    Keyers({{}, {}});
    const std::string image = Image();
    Outcome r = Cli({"upload", "--port", "21,22", image});
    ASSERT_EQ(r.status, 0) << r.err;
    std::istringstream lines(r.err);
    int programming = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("ZT SMT Version", 0) == 0) continue;
        EXPECT_TRUE(line.rfind("COM21  ", 0) == 0 || line.rfind("COM22  ", 0) == 0) << line;
        programming += line.ends_with("Programming");
    }
    EXPECT_EQ(programming, 2) << r.err;
    r = Cli({"upload", "--port", "21,22", image}, true);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("\033[2A"), std::string::npos);  // back over both lines
    EXPECT_NE(r.err.find("/956  "), std::string::npos) << r.err;
    std::istringstream drawn(r.err);
    for (std::string line; std::getline(drawn, line);)
        EXPECT_LE(line.size(), 59u + 10) << line;  // with its escapes
}

}  // namespace
}  // namespace zt
