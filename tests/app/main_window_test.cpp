#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "app/setting_controls.h"
#include "app/startup.h"
#include "resources/ids.h"
#include "settings/messages.h"
#include "settings/schema.h"
#include "settings/settings_file.h"
#include "support/app_fixture.h"
#include "system/paths.h"

namespace zt {
namespace {

using testing::AppTest;
namespace id = ids;

std::vector<std::string> Items(ui::Window& w, int cid) {
    return ui::control(w, cid).items;
}

TEST_F(AppTest, StartUpState) {
    session.comPortNumber = -3;
    ui::Window& w = openMain();
    for (int b : {id::kReadZt, id::kWriteZt, id::kFwUpdate, id::kReadConfigFile,
                  id::kWriteConfigFile, id::kRtty})
        EXPECT_FALSE(ui::isEnabled(w, b)) << b;
    for (int b : {id::kTestZt, id::kSetComPort, id::kAbout, id::kResetDefaults, id::kExit})
        EXPECT_TRUE(ui::isEnabled(w, b)) << b;
    EXPECT_TRUE(ui::isChecked(w, id::kBank1) && !ui::isChecked(w, id::kBank2));
    EXPECT_TRUE(ui::isChecked(w, id::kUser1));
    EXPECT_TRUE(session.editedUser == User::One && session.shownBank == Bank::One);
    EXPECT_EQ(ui::getText(w, id::kMessageLine), "Set Com Port then Click TestZT to get started");
    EXPECT_EQ(ui::getText(w, id::kPortLabel), "com:-3");
    EXPECT_EQ(ui::getText(w, id::kBytesLeft), "Msg Bytes Left:");  // until the first tick
    EXPECT_EQ(w.timers.at(1), 250);
    EXPECT_EQ(Items(w, id::kKeyerMode),
              (std::vector<std::string>{"Iambic A", "Iambic B", "Ultimatic", "UltimDit", "UltimDah",
                                        "VibroBug"}));
    EXPECT_EQ(Items(w, id::kPaddleHang),
              (std::vector<std::string>{"1.0 Word", "1.3 Word", "1.6 Word", "2.0 Word"}));
    EXPECT_EQ(Items(w, id::kOutputSelection),
              (std::vector<std::string>{"Port1", "Port1, ST", "Port1, PTT", "Port1, ST, PTT",
                                        "Port2", "Port2, ST", "Port2, PTT", "Port2, ST, PTT"}));
    for (int k = 0; k < 6; ++k)  // bank 1 shown, bank 2 hidden
        EXPECT_TRUE(ui::isVisible(w, id::kMsg1 + k) && ui::isVisible(w, id::kMsgLabel1 + k) &&
                    !ui::isVisible(w, id::kMsg7 + k) && !ui::isVisible(w, id::kMsgLabel7 + k))
            << k;
    EXPECT_EQ(ui::getText(w, id::kWeight), " ");
}

// Enter and Escape do nothing; Exit and the close box end with zero.
TEST_F(AppTest, ProgramRunsTheMainWindowAndEndsWithStatusZero) {
    std::string label;
    host().onModal(id::kMainDialog, [&](ui::Window& w) {
        label = ui::getText(w, id::kPortLabel);
        ui::pressEnter(w);
        ui::pressEscape(w);
        EXPECT_FALSE(w.ended);
        EXPECT_EQ(ui::sendCommand(w, 1), 0);  // no control has the OK or Cancel ids
        EXPECT_EQ(ui::sendCommand(w, 2), 0);
        ui::click(w, id::kExit);
        EXPECT_TRUE(w.ended);
        EXPECT_FALSE(ui::isEnabled(w, id::kTestZt));  // Exit locks the buttons first
    });
    EXPECT_EQ(RunProgram(session), 0);
    EXPECT_EQ(label, "com:1");  // first run: the file is created with COM 1
#ifdef _WIN32
    EXPECT_EQ(session.configFileName, ConfigNameFromExePath(ProgramPath()));
#else
    EXPECT_EQ(session.configFileName, dir.path() + "/zttools/zttools.cfg");
#endif
    host().onModal(id::kMainDialog, [](ui::Window& w) { ui::closeBox(w); });
    EXPECT_EQ(RunProgram(session), 0);
    EXPECT_EQ(host().unscripted, 0);
}

// zttools FILE: the window opens, then reads FILE as Read Config File does.
TEST_F(AppTest, AFileNamedAtStartIsReadOnceTheWindowStandsWithReadConfigFilesWords) {
    SettingsImage image{};
    LoadDefaults(image);
    MessageTexts texts{"CQ TEST"};
    ASSERT_FALSE(EncodeMessages(texts, image));
    ASSERT_EQ(WriteSettingsFile(dir.path() + "/keyer.eep", image), SettingsFileResult::Ok);
    std::ofstream(dir.path() + "/short.eep") << "ten bytes!";
    // Msg 1 before and after the file's timer (2) ticks twice, and the message line.
    std::string seen;
    const auto look = [&](ui::Window& w) {
        seen = ui::getText(w, kMessageEdits[0]) + "|";
        host().tick(w, 2, 2);
        seen += ui::getText(w, kMessageEdits[0]) + "|" + ui::getText(w, ids::kMessageLine);
        ui::closeBox(w);
    };
    host().onModal(ids::kMainDialog, look);
    EXPECT_EQ(RunProgram(session, dir.path() + "/keyer.eep"), 0);
    EXPECT_EQ(seen, "|CQ TEST|EEP FileName: keyer.eep");
    EXPECT_EQ(session.image, image);

    // Refused as the button refuses it: its box over the window, image kept.
    Session next;
    host().onModal(ids::kMainDialog, look);
    EXPECT_EQ(RunProgram(next, dir.path() + "/short.eep"), 0);
    EXPECT_EQ(seen, "||EEP FileName: short.eep");
    EXPECT_EQ(next.image, SettingsImage{});
    ASSERT_EQ(host().messageBoxes.size(), 1u);  // none for the good file
    EXPECT_EQ(host().messageBoxes[0].text, "Invalid file.");
    EXPECT_NE(host().messageBoxes[0].owner, nullptr);
}

TEST_F(AppTest, ButtonGroupsFollowTheDetectedKeyer) {
    ui::Window& w = openMain();
    const int fw = id::kFwUpdate, rd = id::kReadZt, wr = id::kWriteZt, rt = id::kRtty,
              rf = id::kReadConfigFile, wf = id::kWriteConfigFile;
    LockButtons(w);
    EXPECT_FALSE(ui::isEnabled(w, id::kTestZt) || ui::isEnabled(w, id::kUser2));
    EXPECT_TRUE(ui::isEnabled(w, rf) && ui::isEnabled(w, wf));
    RefreshButtons(w);
    EXPECT_TRUE(ui::isEnabled(w, id::kTestZt) && ui::isEnabled(w, id::kBank2));
    EXPECT_FALSE(ui::isEnabled(w, fw) || ui::isEnabled(w, rd));

    struct Case {
        int major, variant;
        bool fwOn, keyerOn;
    } cases[] = {{29, 0, false, false},
                 {30, 1, true, false},
                 {0, 5, true, false},
                 {31, 1, true, true},
                 {200, 3, true, true}};
    for (const Case& c : cases) {
        session.keyer.firmwareMajor = c.major;
        session.keyer.chipVariant = c.variant;
        LockButtons(w);
        RefreshButtons(w);
        EXPECT_EQ(ui::isEnabled(w, fw), c.fwOn) << c.major;
        for (int b : {rd, wr, rt}) EXPECT_EQ(ui::isEnabled(w, b), c.keyerOn) << c.major;
    }
    // Refreshing never takes a button away, whatever the state says now.
    session.keyer = {};
    RefreshButtons(w);
    EXPECT_TRUE(ui::isEnabled(w, rd));
}

TEST_F(AppTest, KeyFilterAndByteCount) {
    ui::Window& w = openMain();
    // What the filter refuses is tests/app/message_editor_test.cpp's.
    EXPECT_TRUE(ui::typeChar(w, id::kMsg1, 'c'));
    EXPECT_EQ(ui::getText(w, id::kMsg1), "C");  // the edit shows upper case

    // 239 characters spread over a shown and a hidden edit, then one edit more.
    ui::setText(w, id::kMsg1, std::string(200, 'A'));
    ui::setText(w, id::kMsg7 + 5, std::string(39, 'B'));  // bank 2 is hidden
    ui::setText(w, id::kCallUser2, "");
    EXPECT_EQ(CountMessageText(w), 239);
    EXPECT_TRUE(ui::typeChar(w, id::kMsg1 + 1, 'X'));   // 240
    EXPECT_TRUE(ui::typeChar(w, id::kMsg1 + 1, 'Y'));   // 241
    EXPECT_FALSE(ui::typeChar(w, id::kMsg1 + 1, 'Z'));  // full
    EXPECT_FALSE(ui::typeChar(w, id::kMsg1 + 1, '\r'));
    host().tick(w, 1);
    EXPECT_EQ(ui::getText(w, id::kBytesLeft), "Msg Bytes Left: -1");
    EXPECT_TRUE(ui::typeChar(w, id::kMsg1 + 1, 8));  // backspace always
    host().tick(w, 1);
    EXPECT_EQ(ui::getText(w, id::kBytesLeft), "Msg Bytes Left: 0");
    ui::paste(w, id::kMsg1 + 2, "PQ");  // 242 by pasting: still only backspace
    EXPECT_FALSE(ui::typeChar(w, id::kMsg1 + 3, 'Z'));

    for (int e : kMessageEdits) ui::setText(w, e, "");
    host().tick(w, 1);
    EXPECT_EQ(ui::getText(w, id::kBytesLeft), "Msg Bytes Left: 240");
    // An edit counts at most 249 characters; a line break counts two.
    ui::setText(w, id::kMsg1, std::string(300, 'A'));
    ui::setText(w, id::kMsg1 + 1, "A\r\nB");
    EXPECT_EQ(CountMessageText(w), 249 + 4);
}

TEST_F(AppTest, CountdownClearsTheStateFieldOnTheTwelfthTick) {
    ui::Window& w = openMain();
    ui::setText(w, id::kOpState, ">ZT OK");
    ArmStatusCountdown();
    host().tick(w, 1, 11);
    EXPECT_EQ(ui::getText(w, id::kOpState), ">ZT OK");
    ArmStatusCountdown();  // a new result gets its full time
    host().tick(w, 1, 11);
    EXPECT_EQ(ui::getText(w, id::kOpState), ">ZT OK");
    host().tick(w, 1);
    EXPECT_EQ(ui::getText(w, id::kOpState), "");
    EXPECT_EQ(session.statusCountdown, 0);
    ui::setText(w, id::kOpState, ">Done");
    host().tick(w, 1, 20);  // idle countdown leaves it
    EXPECT_EQ(ui::getText(w, id::kOpState), ">Done");
}

TEST_F(AppTest, AboutBoxSetsVerboseOnlyThroughOk) {
    ui::Window& w = openMain();
    std::string version, system;
    auto checkThen = [&](void (*finish)(ui::Window&)) {
        host().onModal(id::kAboutDialog, [&, finish](ui::Window& about) {
            version = ui::getText(about, id::kVersionLine);
            system = ui::getText(about, id::kOsLine);
            ui::click(about, id::kVerbose);
            finish(about);
        });
        ui::click(w, id::kAbout);
    };
    checkThen([](ui::Window& about) { ui::closeBox(about); });
    EXPECT_EQ(session.verboseMode, 0);
    // "Ver 5.3, Built hh:mm:ss, Mmm dd yyyy", from the build stamps
    EXPECT_EQ(version.rfind("Ver 5.3, Built ", 0), 0u) << version;
    ASSERT_EQ(version.size(), std::string("Ver 5.3, Built 16:36:10, Mar  2 2022").size());
    EXPECT_TRUE(version[17] == ':' && version[20] == ':' && version.substr(23, 2) == ", ");
#ifdef _WIN32
    EXPECT_EQ(system, "Operating System is MS Windows");
#else
    EXPECT_EQ(system, "Operating System is Linux");
#endif

    checkThen([](ui::Window& about) { ui::pressEscape(about); });  // as the close box
    EXPECT_EQ(session.verboseMode, 0);
    checkThen([](ui::Window& about) { ui::click(about, id::kAboutOk); });
    EXPECT_EQ(session.verboseMode, 1);

    bool shownChecked = false;
    host().onModal(id::kAboutDialog, [&](ui::Window& about) {
        shownChecked = ui::isChecked(about, id::kVerbose);
        ui::click(about, id::kVerbose);  // off again, accepted by Enter
        ui::pressEnter(about);
    });
    ui::click(w, id::kAbout);
    EXPECT_TRUE(shownChecked);
    EXPECT_EQ(session.verboseMode, 0);
    EXPECT_EQ(host().unscripted, 0);
}

}  // namespace
}  // namespace zt
