// ztcli against the virtual keyer, beside the window's own flows on the same keyer.
#include "cli/cli.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

#include "app/uploader.h"
#include "cli/commands.h"
#include "cli/json.h"
#include "cli/port_choice.h"
#include "cli/settings_fields.h"
#include "cli/settings_json.h"
#include "firmware/hex_records.h"
#include "resources/ids.h"
#include "settings/image.h"
#include "settings/messages.h"
#include "settings/schema.h"
#include "settings/settings_file.h"
#include "support/cli_run.h"
#include "support/keyer_fixture.h"

namespace zt {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Outcome = testing::CliOutcome;
using testing::FirmwareFile;
using testing::ToSim;

class CliTest : public testing::KeyerTest {
  protected:
    static Outcome Cli(std::vector<std::string> args, bool terminal = false,
                       const std::string& input = "") {
        return testing::RunZtcli(std::move(args), terminal, input);
    }
    // The same command on the keyer's COM number.
    Outcome OnKeyer(std::vector<std::string> args, bool terminal = false) {
        args.push_back("--port");
        args.push_back(std::to_string(testing::kSimCom));
        return Cli(std::move(args), terminal);
    }
    std::string Path(const std::string& name) { return dir.path() + "/" + name; }
    // Factory settings with a message and changed values for both users: an
    // image the editor accepts that is not the keyer's default.
    static SettingsImage Custom() {
        SettingsImage image{};
        LoadDefaults(image);
        MessageTexts texts;
        texts[0] = "CQ TEST DE ZT";
        texts[12] = "ZT1ABC";
        EXPECT_FALSE(EncodeMessages(texts, image));
        At(image, User::One, Field::FavoriteWpm) = 28;
        At(image, User::Two, Field::Weight) = 60;
        At(image, User::Two, Field::SerialLow) = 41;
        return image;
    }
    static SettingsImage FromFile(const std::string& path) {
        SettingsImage image{};
        EXPECT_EQ(ReadSettingsFile(path, image), SettingsFileResult::Ok);
        return image;
    }
};

// Line-for-line with the window: Test ZT, Read ZT and Write ZT send the same
// bytes as ztcli's test, read and write --no-verify.
TEST_F(CliTest, SendsTheWindowsBytes) {
    startKeyer();
    sim->SetSettings(ToSim(Custom()));
    ui::Window& w = openMain();
    struct Pair {
        int button;
        std::vector<std::string> command;
    };
    const std::string file = Path("k.eep");
    for (const Pair& p : {Pair{ids::kTestZt, {"test"}}, Pair{ids::kReadZt, {"read", file}},
                          Pair{ids::kWriteZt, {"write", "--no-verify", file}}}) {
        sim->ClearReceived();
        ui::click(w, p.button);
        session.port.Close();  // the window keeps its port; ztcli needs it
        const Bytes window = sim->Received();
        sim->ClearReceived();
        const Outcome r = OnKeyer(p.command);
        EXPECT_EQ(r.status, 0) << p.command[0] << ": " << r.err;
        EXPECT_EQ(sim->Received(), window) << p.command[0];
        EXPECT_GT(window.size(), 8u);
    }
}

// Settings read, written and read again come back as they were; a keyer that
// keeps nothing fails the read-back. The reads' progress goes to the error
// stream, redrawn in place on a terminal only, elsewhere printable lines.
TEST_F(CliTest, ReadWriteReadRoundTripsAndVerifies) {
    startKeyer();
    const SettingsImage custom = Custom();
    sim->SetSettings(ToSim(custom));
    const auto read = [&](const std::string& file, bool terminal) {
        const Outcome r = OnKeyer({"read", file}, terminal);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(FromFile(file), custom);
        EXPECT_EQ(r.out, "");
        const bool controls = std::any_of(r.err.begin(), r.err.end(), [](char c) {
            return (static_cast<unsigned char>(c) < 0x20 && c != '\n') || c == 0x7F;
        });
        EXPECT_EQ(controls, terminal) << r.err;
        EXPECT_EQ(r.err.find("] 100%") != std::string::npos, terminal) << r.err;
    };
    read(Path("a.eep"), false);
    sim->SetSettings(sim::FactorySettings());
    const Outcome write = OnKeyer({"write", Path("a.eep")});
    EXPECT_EQ(write.status, 0) << write.err;
    read(Path("b.eep"), true);

    // A keyer that takes the blocks but keeps nothing fails the read-back.
    sim->SetSettings(sim::FactorySettings());
    sim::Faults drop;
    drop.dropSettingsWrites = true;
    sim->SetFaults(drop);
    const Outcome lost = OnKeyer({"write", Path("a.eep")});
    EXPECT_EQ(lost.status, 1);
    EXPECT_NE(lost.err.find("verify failed: "), std::string::npos) << lost.err;
    EXPECT_NE(lost.err.find("\n  user1.cur_wpm: wrote 28, read 15\n"), std::string::npos)
        << lost.err;
}

// Every JSON document parses, and text comes back as it was: a folder name
// with an accent too.
TEST_F(CliTest, JsonParsesAndCarriesTextAsItWas) {
    const std::string home = dir.path() + "/caf\xC3\xA9";
    setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    MakeDirs(PortsDir());
    startKeyer();
    Outcome r = Cli({"ports", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    const cli::Json ports = cli::Json::parse(r.out);
    const auto keyer = std::find_if(ports.begin(), ports.end(), [](const cli::Json& p) {
        return p["com"] == testing::kSimCom;
    });
    ASSERT_NE(keyer, ports.end()) << r.out;
    EXPECT_EQ((*keyer)["device"], home + "/zttools/ports/com" + std::to_string(testing::kSimCom));
    EXPECT_EQ((*keyer)["state"], "free");
    EXPECT_TRUE(std::all_of(r.out.begin(), r.out.end(), [](char c) { return c > 0; }));

    r = OnKeyer({"test", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    const cli::Json test = cli::Json::parse(r.out);
    EXPECT_EQ(test["outcome"], "firmware");
    EXPECT_EQ(test["link_status"], "ZT F/W ver 31.05");
    EXPECT_EQ(test["pot"], 128);
    EXPECT_EQ(test["supply_text"], "5.04 Volts");
    EXPECT_FALSE(test.contains("failure"));
    // A reading that did not come is none, not a reading of 0.
    LiveValues partial;
    partial.pot = 0;
    partial.pushbutton = 255;
    const cli::Json some = cli::TestJson(Detection{}, &partial, "");
    EXPECT_EQ(some["pot"], 0);
    EXPECT_TRUE(some["supply"].is_null());
    EXPECT_EQ(some["supply_text"], "No reading");

    ASSERT_EQ(WriteSettingsFile(Path("s.eep"), Custom()), SettingsFileResult::Ok);
    const cli::Json show = cli::Json::parse(Cli({"show", "--json", Path("s.eep")}).out);
    EXPECT_EQ(show["user1"]["cur_wpm"], 28);
    EXPECT_EQ(show["user2"]["rtty"]["enable"], false);
    EXPECT_EQ(show["msg1"], "CQ TEST DE ZT");
    EXPECT_EQ(show["selected_bank"], 1);
    EXPECT_FALSE(show.contains("refused"));
}

// A line that drops partway fails the command with its cause. Readings are
// not made up; a write counts as made only once its bytes have had their
// time on the wire with the line up, and a failed read-back says it had.
TEST_F(CliTest, ALineThatHangsUpPartwayFailsSayingHowFarItGot) {
    sim::Faults f;
    f.hangUpAfter = 9;  // detection, and nothing of the readings
    startKeyer({}, f);
    Outcome r = OnKeyer({"test"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "ZT IC: SMT\nZT F/W ver 31.05\n");
    // The first line of a failure names the port and where it came from.
    const std::string onKeyer = "ztcli: COM9, from --port 9: ";
    EXPECT_EQ(r.err, onKeyer + "the readings fell short (the line hung up)\n");
    sim->Stop();

    ASSERT_EQ(WriteSettingsFile(Path("a.eep"), Custom()), SettingsFileResult::Ok);
    f.hangUpAfter = 20;  // in the extension block
    startKeyer({}, f);
    r = OnKeyer({"write", "--no-verify", Path("a.eep")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.ends_with("\n" + onKeyer + "ZT Fail:settings not sent (the line hung up)\n"))
        << r.err;
    EXPECT_EQ(r.err.find("Done"), std::string::npos) << r.err;
    sim->Stop();

    f.hangUpAfter = 9 + 14 + 290 + 1;  // everything written, then half a command
    startKeyer({}, f);
    r = OnKeyer({"--quiet", "write", Path("a.eep")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, onKeyer +
                         "the settings went out in full, but reading them back failed: "
                         "ZT Fail:settings read short (the line hung up)\n");
    EXPECT_EQ(sim->settings(), ToSim(Custom()));
}

// A line that stalls after detection: the readings' requests never go out,
// and a test without readings is a failure, in the text as in JSON.
TEST_F(CliTest, ALineThatStallsGivesNoReadingsAndFails) {
    sim::Faults f;
    f.stallAfter = 9;
    startKeyer({}, f);
    const std::string cause = "the readings fell short (nothing went out in 200 ms)";
    Outcome r = OnKeyer({"test"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out + r.err,
              "ZT IC: SMT\nZT F/W ver 31.05\nztcli: COM9, from --port 9: " + cause + "\n");
    sim->SetFaults(f);  // counts anew
    r = OnKeyer({"test", "--json"});
    EXPECT_EQ(r.status, 1);
    const cli::Json test = cli::Json::parse(r.out);
    EXPECT_EQ(test["failure"], cause);
    EXPECT_FALSE(test.contains("pot"));
    EXPECT_EQ(sim->counters().taken, 18u);  // no request after the one that could not go out
}

TEST_F(CliTest, BadFilesSendNothing) {
    startKeyer();
    SettingsImage image = Custom();
    At(image, User::Two, Field::Ratio) = 70;
    ASSERT_EQ(WriteSettingsFile(Path("ratio.eep"), image), SettingsFileResult::Ok);
    std::ofstream(Path("long.eep")) << std::string(301, 'x');
    sim->ClearReceived();

    Outcome r = OnKeyer({"write", Path("ratio.eep")});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("user2.ratio: Ratio must be between 33 and 66"), std::string::npos)
        << r.err;
    // show shows what is there, and marks what the editor would refuse.
    r = Cli({"show", Path("ratio.eep")});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("\nuser2.ratio = 70  # refused: Ratio must be between 33 and 66\n"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.find("user1.ratio = 50 "), std::string::npos);
    const cli::Json marked = cli::Json::parse(Cli({"show", "--json", Path("ratio.eep")}).out);
    EXPECT_EQ(marked["user2"]["ratio"], 70);
    EXPECT_EQ(marked["refused"], cli::Json({{"user2.ratio", "Ratio must be between 33 and 66"}}));
    r = OnKeyer({"write", Path("long.eep")});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("Invalid file."), std::string::npos);
    EXPECT_EQ(Cli({"show", Path("long.eep")}).status, 2);
    EXPECT_EQ(Cli({"write"}).status, 2);  // no file named
    r = Cli({"test", "--port", ""});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("an empty port names no port"), std::string::npos) << r.err;

    // A message pointer into the pointer table and a wrong end byte: the
    // window could never send that store; neither does write. Setting any
    // message packs the store anew.
    image = Custom();
    image[34] = 5;
    image[32] = 200;
    ASSERT_EQ(WriteSettingsFile(Path("store.eep"), image), SettingsFileResult::Ok);
    r = OnKeyer({"write", "--no-verify", Path("store.eep")});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "ztcli: " + Path("store.eep") +
                         ": Msg 2 points into the pointer table (pointer 5); setting any message "
                         "(ztcli set " +
                         Path("store.eep") + " msgN=TEXT) packs the message store anew\n");
    EXPECT_TRUE(sim->Received().empty());
    ASSERT_EQ(Cli({"set", Path("store.eep"), "msg2="}).status, 0);
    EXPECT_FALSE(CheckMessageStore(FromFile(Path("store.eep"))));
    EXPECT_EQ(DecodeMessages(FromFile(Path("store.eep")))[0], "CQ TEST DE ZT");
}

TEST_F(CliTest, ShowAndSetUseTheEditorsValuesAndRules) {
    SettingsImage image{};
    LoadDefaults(image);
    At(image, User::Two, Field::SerialHigh) = 1;
    At(image, User::Two, Field::SerialLow) = 2;
    const std::string file = Path("s.eep");
    ASSERT_EQ(WriteSettingsFile(file, image), SettingsFileResult::Ok);

    const Outcome json = Cli({"show", "--json", file});
    ASSERT_EQ(json.status, 0);
    for (const char* shown :
         {"\"st_freq\": 801", "\"max_wpm\": 35", "\"serial_number\": 1,", "\"serial_number\": 259,",
          "\"keyer_mode\": \"Iambic B\"", "\"baud\": \"45.45\"", "\"msg14\": \"\""})
        EXPECT_NE(json.out.find(shown), std::string::npos) << shown;
    // Every setting is there, each once.
    for (const cli::ShownSetting& s : cli::ShowSettings(image)) {
        const std::string key = "\"" + s.name.substr(s.name.rfind('.') + 1) + "\": ";
        EXPECT_NE(json.out.find(key), std::string::npos) << s.name;
    }

    Outcome r = Cli({"set", file, "user2.st_freq=1250", "user1.min_wpm=40", "user1.max_wpm=60",
                     "msg3=Cq de ZT", "user2.keyer_mode=vibrobug", "user1.rtty.enable=True"});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string text = Cli({"show", file}).out;
    for (const char* shown :
         {"user2.st_freq = 1250\n", "user1.min_wpm = 40\n", "user1.max_wpm = 60\n",
          "msg3 = \"CQ DE ZT\"\n", "user2.keyer_mode = VibroBug\n", "user1.rtty.enable = true\n"})
        EXPECT_NE(text.find(shown), std::string::npos) << shown;

    const SettingsImage before = FromFile(file);
    for (auto [change, message] :
         {std::pair{"user1.weight=95", "user1.weight: Weight must be between 10 and 90"},
          {"user1.weight=x", "user1.weight: \"x\" is not a number"},
          {"user1.weight=-5", "user1.weight: Weight must be between 10 and 90"},
          {"user1.cur_wmp=20",
           "no setting is called \"user1.cur_wmp\"; did you mean user1.cur_wpm?"},
          {"cur_wpm=20", "\"cur_wpm\" needs user1. or user2. in front"},
          {"user2.paddle_hang=1.2 word", "\"1.2 word\" is not one of \"1.0 Word\", \"1.3 Word\""},
          {"msg1=\t", "Msg 1 holds a tab, which has no Morse code."},
          {"msg3=PRICE $5 OK", "Msg 3: \"$\" cannot be stored"},
          {"msg1=50%", "Msg 1: \"%\" cannot be stored"},
          {"speed=5", "no setting is called \"speed\""}}) {
        r = Cli({"set", file, "user1.cur_wpm=20", change});
        EXPECT_EQ(r.status, 2) << change;
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    }
    EXPECT_EQ(FromFile(file), before);  // all or nothing
}

// apply takes what show --json prints, all of it or any part, and sets it as
// set does, all or nothing: show's JSON comes back byte for byte.
TEST_F(CliTest, ApplyTakesWhatShowPrintsAllOrNothing) {
    const std::string from = Path("from.eep"), to = Path("to.eep");
    SettingsImage defaults{};
    LoadDefaults(defaults);
    ASSERT_EQ(WriteSettingsFile(from, Custom()), SettingsFileResult::Ok);
    ASSERT_EQ(WriteSettingsFile(to, defaults), SettingsFileResult::Ok);
    const std::string json = Cli({"show", "--json", from}).out;
    Outcome r = Cli({"apply", to, "-"}, false, json);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Cli({"show", "--json", to}).out, json);
    EXPECT_EQ(FromFile(to), Custom());

    std::ofstream(Path("part.json"))
        << R"({"user2": {"weight": 70, "rtty": {"baud": "100"}}, "msg2": "QRL?"})";
    r = Cli({"apply", to, Path("part.json")});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string shown = Cli({"show", to}).out;
    for (const char* line : {"user2.weight = 70\n", "user2.rtty.baud = 100\n", "msg2 = \"QRL?\"\n",
                             "msg1 = \"CQ TEST DE ZT\"\n"})
        EXPECT_NE(shown.find(line), std::string::npos) << line;

    // Each value of its own JSON type, each key once, nothing deeper than
    // show's groups, nothing after the document, nothing without bounds.
    const auto repeated = [](const std::string& text, int times) {
        std::string all;
        for (int i = 0; i < times; ++i) all += text;
        return all;
    };
    const SettingsImage before = FromFile(to);
    for (auto [document, message] :
         {std::pair<std::string, std::string>{R"({"msg2": "QRZ", "user2": {"weight": 95}})",
                                              "user2.weight: Weight must be between 10 and 90"},
          {R"({"user1": {"cur_wmp": 20}})", "did you mean user1.cur_wpm?"},
          {R"({"user1": {"rtty": [1]}})", "user1.rtty: a list is not a setting's value"},
          {"[1, 2]", "standard input: not the JSON object that ztcli show --json prints"},
          {R"({"msg1": )", "standard input: not JSON"},
          {R"({"msg1": null})", "msg1: takes a string, not null"},
          {R"({"user1": {"cur_wpm": 1e2}})", "user1.cur_wpm: takes a whole number, not 1e2"},
          {R"({"user1": {"swap": "FALSE"}})", R"(user1.swap: takes true or false, not "FALSE")"},
          {R"({"user2": {"keyer_mode": 1}})", "user2.keyer_mode: takes a string, not 1"},
          {R"({"user1": {"cur_wpm": 100, "cur_wpm": 28}})", "user1.cur_wpm: named twice"},
          {R"({"user1.max_wpm": 200, "user1": {"max_wpm": 40}})", "user1.max_wpm: named twice"},
          {R"({"bogus": {}})", R"(no group of settings is called "bogus")"},
          {R"({"user1": {"cur_wpm": {}}})", "user1.cur_wpm: takes a whole number, not an object"},
          {R"({"user1": {"rtty": {}}})", "user1.rtty: an empty object sets nothing"},
          {"{}", "the document names no setting"},
          {std::string(R"({"msg2": "QRZ"})") + '\0' + "garbage", "not JSON: a 0 byte at byte 16"},
          {R"({"msg2": "QRZ"} {})", "expected end of input"},
          {repeated(R"({"user1": )", 20000) + "1" + repeated("}", 20000),
           R"(no group of settings is called "user1.user1")"},
          {R"({")" + std::string(100000, 'x') + R"(": 1})", "x\" (ztcli show lists them)"}}) {
        r = Cli({"apply", to, "-"}, false, document);
        EXPECT_EQ(r.status, 2) << document.substr(0, 80);
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err.substr(0, 200);
    }
    EXPECT_EQ(FromFile(to), before);
}

// diff names each setting that differs with both values, the first's first;
// a settings file, or the keyer's settings.
TEST_F(CliTest, DiffListsTheSettingsThatDifferInFilesOrTheKeyer) {
    startKeyer();
    sim->SetSettings(ToSim(Custom()));
    const std::string a = Path("a.eep"), b = Path("b.eep");
    ASSERT_EQ(WriteSettingsFile(a, Custom()), SettingsFileResult::Ok);
    ASSERT_EQ(WriteSettingsFile(b, Custom()), SettingsFileResult::Ok);
    ASSERT_EQ(Cli({"set", b, "user1.cur_wpm=20", "msg1=QRZ"}).status, 0);
    Outcome r = Cli({"diff", a, b});
    EXPECT_EQ(r.status, 1);
    const std::string differences = "user1.cur_wpm: 28 -> 20\nmsg1: \"CQ TEST DE ZT\" -> \"QRZ\"\n";
    EXPECT_EQ(r.out, differences);
    r = OnKeyer({"--quiet", "diff", "keyer", b});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.out, differences);
    EXPECT_EQ(OnKeyer({"--quiet", "diff", a, "keyer"}).status, 0);
    r = Cli({"diff", a, Path("none.eep")});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("none.eep: File Not Found"), std::string::npos) << r.err;
    // A keyer that fails is told apart from one whose settings differ.
    sim::Faults silent;
    silent.silent = true;
    sim->SetFaults(silent);
    r = OnKeyer({"--quiet", "diff", a, "keyer"});
    EXPECT_EQ(r.status, 4);
    EXPECT_NE(r.err.find("ZT Fail:no response"), std::string::npos) << r.err;
}

// What is not a regular file fails at once, a named pipe too (which would
// otherwise wait for a writer for good); a read-only file is not replaced.
TEST_F(CliTest, FilesThatAreNoRegularFilesOrReadOnlyFailAtOnceSayingWhy) {
    startKeyer();
    const std::string pipe = Path("f.eep");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
    for (const char* command : {"show", "write"}) {
        const Outcome r = OnKeyer({command, pipe});
        EXPECT_EQ(r.status, 2) << command;
        EXPECT_EQ(r.err, "ztcli: " + pipe + ": Invalid file. (a named pipe, not a file)\n");
    }
    Outcome r = Cli({"hexinfo", pipe});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("cannot be opened (load result -2; a named pipe, not a file)"),
              std::string::npos)
        << r.err;
    r = Cli({"set", pipe, "msg1=CQ"});
    EXPECT_EQ(r.err, "ztcli: " + pipe + ": Invalid file. (a named pipe, not a file)\n");

    // A settings file that could not be saved fails before the keyer is asked.
    const std::string locked = Path("locked.eep");
    ASSERT_EQ(WriteSettingsFile(locked, Custom()), SettingsFileResult::Ok);
    ASSERT_EQ(chmod(locked.c_str(), 0444), 0);
    r = Cli({"set", locked, "msg1=CQ"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "ztcli: " + locked + ": Can't open Settings file for write (read-only)\n");
    for (auto [file, cause] :
         {std::pair{Path("missing/k.eep"), std::string("No such file or directory")},
          {locked, "read-only"}}) {
        r = OnKeyer({"read", file});
        EXPECT_EQ(r.status, 2) << file;
        EXPECT_EQ(r.err,
                  "ztcli: " + file + ": Can't open Settings file for write (" + cause + ")\n");
    }
    EXPECT_TRUE(sim->Received().empty());
    EXPECT_EQ(FromFile(locked), Custom());
    r = Cli({"show", Path("short.eep")});
    EXPECT_EQ(r.err,
              "ztcli: " + Path("short.eep") + ": File Not Found (No such file or directory)\n");
}

// Refusals of an image for another chip: the batch test, on the same path.
TEST_F(CliTest, UploadSendsTheWindowsBytesAndProgramsTheKeyer) {
    startKeyer(Keyer(kVariantAf, 31, 2));
    const std::string af = FirmwareFile(Path("af.bin"), 103);

    // The window's Program, then ztcli's upload: the same bytes.
    ui::Window& w = openMain();
    ui::click(w, ids::kTestZt);
    Bytes window;
    host().onModal(ids::kUploaderDialog, [&](ui::Window& d) {
        host().answerFileDialog(af);
        ui::click(d, ids::kLoadBin);
        sim->ClearReceived();
        ui::click(d, ids::kProgram);
        while (d.timers.count(kUploadTimer)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            host().tick(d, kUploadTimer);
        }
        window = sim->Received();
        ui::click(d, ids::kUploadExit);
    });
    ui::click(w, ids::kFwUpdate);
    session.port.Close();
    sim->SetProgram(sim::BlankProgram());
    sim->ClearReceived();
    const Outcome r = OnKeyer({"upload", "--verbose", af});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("0020 - 0102 0304 ff3f"), std::string::npos) << r.err;  // a log line
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(sim->Received(), window);
    EXPECT_EQ(sim->program()[0x20], 0x0201);
}

// Records at any alignment reach the keyer's memory word for word. An image
// with nothing to program is refused before the port; a line that takes no
// more fails the upload.
TEST_F(CliTest, UploadLandsEveryWordAndFailsWhatIsNotDone) {
    using testing::Record;
    startKeyer(Keyer(kVariantSmt, 31, 5));
    Bytes long32(32), short16(16);
    for (int i = 0; i < 32; ++i) long32[i] = std::uint8_t(0x10 + i);
    for (int i = 0; i < 16; ++i) short16[i] = std::uint8_t(0x80 + i);
    const std::string file = Path("unaligned.bin");
    std::ofstream(file) << Record(0, 0, {0, 0, 0, 0, 0, 0, 31, 5}) << "\n"
                        << Record(0, 0x0226, long32) << "\n"   // word 0x113, into three slots
                        << Record(0, 0x0426, short16) << "\n"  // word 0x213, into two
                        << testing::kEndRecord << "\n";
    Outcome r = OnKeyer({"upload", file});
    EXPECT_EQ(r.status, 0) << r.err;
    const sim::ProgramMemory memory = sim->program();
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(memory[0x113 + i], long32[2 * i] | long32[2 * i + 1] << 8) << i;
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(memory[0x213 + i], short16[2 * i] | short16[2 * i + 1] << 8) << i;
    for (int word : {0x112, 0x123, 0x212, 0x21B}) EXPECT_EQ(memory[word], 0x3FFF) << word;

    // Only the configuration word and EEPROM, both beyond program memory.
    const std::string config = Path("config.bin");
    std::ofstream(config) << Record(0, 0x400E, {0x3A, 0x3F}) << "\n"
                          << Record(0, 0x4200, {1, 2, 3, 4}) << "\n"
                          << testing::kEndRecord << "\n";
    sim->ClearReceived();
    r = OnKeyer({"upload", "-q", config});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "ztcli: " + config + ": Error: No Program Data in File !\n");
    EXPECT_EQ(sim->Received(), Bytes{});

    // Only the boot loader answers: its sync and 35, one frame, then the hold.
    sim->Stop();
    sim::Faults hold;
    hold.stallAfter = 3 + 4 + kFrameSize;
    startKeyer(Keyer(kVariantSmt, 31, 5), hold, true);
    r = OnKeyer({"upload", file});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Error: Write failed: nothing went out in 200 ms !"), std::string::npos)
        << r.err;
}

// Ctrl+C stops the upload (between frames: the batch test counts them) and
// says so with what to do about the keyer; a line that drops says how far it
// got.
TEST_F(CliTest, CtrlCStopsTheUploadBetweenFramesAndTellsHowToRecover) {
    startKeyer(Keyer(kVariantSmt, 31, 5));
    sim->SetPacing(true);
    const std::string file = FirmwareFile(Path("smt.bin"), 5);
    std::thread user([this] {
        while (sim->counters().framesStored < 2)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        kill(getpid(), SIGINT);
    });
    const Outcome r = OnKeyer({"upload", file});
    user.join();
    EXPECT_EQ(r.status, 130);
    EXPECT_TRUE(
        r.err.ends_with("ztcli: COM9, from --port 9: the upload was stopped by the user "
                        "(Ctrl+C)\nztcli: " +
                        std::string(cli::kUploadCutHint) + "\n"))
        << r.err;

    sim->Stop();  // a fresh keyer, whose line drops after detection: no hand-over reaches it
    sim::Faults drop;
    drop.hangUpAfter = 9;
    startKeyer(Keyer(kVariantSmt, 31, 5), drop);
    const std::string lost = OnKeyer({"upload", file}).err;
    EXPECT_NE(lost.find("Read failed: the line hung up !\nztcli: the keyer's firmware was told to "
                        "hand over to its boot loader, which never answered; no frame was sent"),
              std::string::npos)
        << lost;
}

}  // namespace
}  // namespace zt
