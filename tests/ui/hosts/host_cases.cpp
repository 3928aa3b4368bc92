// The cases every real host must pass alike, written once and compiled into
// each host's test program: real input reaches the model as Windows' dialog
// manager turns it into messages, modal loops, painting during blocking work,
// text from a worker thread, and the controls mirroring the model.

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "ui/hosts/host_test.h"

namespace zttest {
namespace {

using HostCases = HostTest;

TEST_F(HostCases, EnterAndEscapeAreCommandsOneAndTwoAndCloseNothing) {
    ui::Window& w = open(kTest);
    driver->key(w, kUpper, Key::Enter);
    driver->key(w, kAuto, Key::Enter);
    driver->key(w, kList, Key::Escape);
    driver->key(w, kDigits, Key::Escape);
    driver->key(w, kList, Key::Enter);
    driver->key(w, kGo, Key::Escape);
    driver->key(w, kGo, Key::Enter);  // a focused push button is the default
    EXPECT_EQ(messages, (std::vector<ui::Message>{command(1), command(1), command(2), command(2),
                                                  command(1), command(2), command(kGo)}));
    // In a multi-line edit Enter breaks no line (that needs Ctrl); what it
    // sends instead differs between Windows and Wine.
    driver->key(w, kText, Key::Enter);
    EXPECT_TRUE(driver->shown(w, 0).visible);
    EXPECT_EQ(ui::getText(w, kText), "");

    ui::Window& c = open(kChild);
    messages.clear();
    ui::enable(c, 2, false);
    driver->key(c, 1, Key::Escape);
    EXPECT_TRUE(messages.empty());
}

// The close box: a Close message, nothing else; left unhandled, the dialog
// manager answers it with the cancel command, unless a cancel control is
// disabled.
TEST_F(HostCases, TheCloseBoxSendsCloseAndTheProcedureDecides) {
    ui::Window& w = open(kChild);
    driver->closeBox(w);
    EXPECT_EQ(messages, std::vector<ui::Message>{{ui::Msg::Close}});
    EXPECT_TRUE(driver->shown(w, 0).visible);

    onMessage = [](ui::Window&, const ui::Message&) { return 0; };
    messages.clear();
    driver->closeBox(w);
    EXPECT_EQ(messages, (std::vector<ui::Message>{{ui::Msg::Close}, command(2)}));
    ui::enable(w, 2, false);
    messages.clear();
    driver->closeBox(w);
    EXPECT_EQ(messages, std::vector<ui::Message>{{ui::Msg::Close}});

    onMessage = [](ui::Window& win, const ui::Message&) { return ui::endDialog(win, 5), 1; };
    driver->closeBox(w);
    EXPECT_EQ(w.result, 5);
    EXPECT_FALSE(driver->shown(w, 0).visible);
}

// Automatic check boxes flip before their command, nothing else flips itself,
// and disabled or hidden controls deliver nothing.
TEST_F(HostCases, OnlyAutomaticCheckBoxesFlipAndOnlyEnabledShownControlsDeliver) {
    ui::Window& w = open(kTest);
    std::vector<bool> autoSeen;  // model and control when the command arrives
    onMessage = [&](ui::Window& win, const ui::Message& m) {
        if (m.id == kAuto)
            autoSeen = {ui::isChecked(win, kAuto), driver->shown(win, kAuto).checked};
        return 1;
    };
    for (int id : {kAuto, kManual, kRadio}) driver->click(w, id);
    EXPECT_EQ(autoSeen, (std::vector<bool>{true, true}));
    EXPECT_EQ(messages,
              (std::vector<ui::Message>{command(kAuto), command(kManual), command(kRadio)}));
    EXPECT_FALSE(ui::isChecked(w, kManual) || driver->shown(w, kManual).checked);
    EXPECT_FALSE(ui::isChecked(w, kRadio) || driver->shown(w, kRadio).checked);
    ui::check(w, kRadio, true);
    driver->click(w, kRadio);  // no toggling back either
    EXPECT_TRUE(ui::isChecked(w, kRadio) && driver->shown(w, kRadio).checked);

    for (int id : {kGo, kAuto, kDigits}) ui::enable(w, id, false);
    ui::show(w, kManual, false);
    messages.clear();
    for (int id : {kGo, kAuto, kManual}) driver->click(w, id);
    driver->type(w, kDigits, "12");
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(ui::isChecked(w, kAuto));
    EXPECT_EQ(ui::getText(w, kDigits), "");
}

TEST_F(HostCases, EditsConvertFilterRefuseAndLimitTypedKeysButNotPastedText) {
    ui::Window& w = open(kTest);
    ui::setText(w, kUpper, "");
    driver->type(w, kUpper, "ab1");
    driver->setClipboard("cd");
    driver->paste(w, kUpper);
    EXPECT_EQ(ui::getText(w, kUpper), "AB1CD");
    EXPECT_EQ(driver->shown(w, kUpper).text, "AB1CD");

    driver->type(w, kDigits, "1a2-3");
    driver->key(w, kDigits, Key::Backspace);
    driver->setClipboard("x9");
    driver->paste(w, kDigits);
    EXPECT_EQ(ui::getText(w, kDigits), "12x9");

    // A character filter sees what is typed, not what is pasted.
    std::vector<int> seen;
    ui::setCharFilter(w, kText, [&](ui::Window&, int, int ch) {
        seen.push_back(ch);
        return ch != '#';
    });
    driver->type(w, kText, "a#b");
    driver->key(w, kText, Key::Backspace);
    driver->key(w, kText, Key::CtrlEnter);  // a line break, typed as LF
    driver->setClipboard("#c\r\ne");
    driver->key(w, kText, Key::CtrlV);  // Ctrl+V types 0x16, and the edit pastes
    EXPECT_EQ(seen, (std::vector<int>{'a', '#', 'b', 8, '\n', 0x16}));
    EXPECT_EQ(ui::getText(w, kText), "A\r\n#C\r\nE");
    EXPECT_EQ(driver->shown(w, kText).text, "A\r\n#C\r\nE");

    // Typing, pasting and appending stop at the text limit.
    ui::setCharFilter(w, kText, nullptr);
    ui::setText(w, kText, "");
    ui::setTextLimit(w, kText, 4);
    driver->type(w, kText, "ab");
    driver->key(w, kText, Key::CtrlEnter);  // CR LF: two
    driver->type(w, kText, "c");
    EXPECT_EQ(ui::getText(w, kText), "AB\r\n");
    driver->setClipboard("vwxyz");
    ui::setFocus(w, kText, true);  // its text selected
    driver->paste(w, kText);
    EXPECT_EQ(ui::getText(w, kText), "VWXY");

    // and so does the text the program appends (the upload log)
    ui::setText(w, kText, "");
    ui::setTextLimit(w, kText, 12);
    for (const char* line : {"0123 45\r\n", "6789\r\n", "MORE\r\n"})
        ui::appendTextSync(w, kText, line);
    EXPECT_EQ(ui::getText(w, kText), "0123 45\r\n678");
    EXPECT_EQ(driver->shown(w, kText).text, "0123 45\r\n678");
}

// The child's loop runs over its blocked owner, whose timer keeps ticking;
// a click in the child ends it with the procedure's result.
TEST_F(HostCases, AChildLoopBlocksItsOwnerWhileTheOwnerTimerRuns) {
    int ownerTicks = 0, childResult = -1;
    bool blocked = false;
    ui::Window* owner = nullptr;
    auto childProc = [&](ui::Window& w, const ui::Message& m) {
        if (m.msg == ui::Msg::Command && m.id == 1) ui::endDialog(w, 9);
        if (m.msg != ui::Msg::Init) return 1;
        const int start = ownerTicks;
        driver->when([&, start] { return ownerTicks >= start + 3; },
                     [&] {
                         blocked = driver->blocks(*owner, w);
                         driver->press(w, 1);
                     },
                     [&] { ui::endDialog(w, 0); });
        return 1;
    };
    auto ownerProc = [&](ui::Window& w, const ui::Message& m) {
        if (m.msg == ui::Msg::Init) {
            owner = &w;
            ui::startTimer(w, 1, 5);
            driver->when([] { return true; }, [&] { driver->press(w, kGo); }, [] {});
        }
        if (m.msg == ui::Msg::Timer) ++ownerTicks;
        if (m.msg == ui::Msg::Command && m.id == kGo)
            ui::endDialog(w, childResult = ui::runModal(kChild, &w, childProc));
        return 1;
    };
    EXPECT_EQ(ui::runModal(kTest, nullptr, ownerProc), 9);
    EXPECT_EQ(childResult, 9);
    EXPECT_TRUE(blocked);
}

TEST_F(HostCases, RepaintPaintsButDeliversNoTicks) {
    ui::Window& w = open(kTest);
    driver->pump();  // the first show's painting
    ui::startTimer(w, 3, 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // due
    driver->watchPaint(w, kDigits);
    ui::setText(w, kDigits, "42");  // an edit paints later, as its text changes
    EXPECT_FALSE(driver->painted(w, kDigits));
    ui::repaint(w);
    EXPECT_TRUE(driver->painted(w, kDigits));
    EXPECT_TRUE(messages.empty());
    driver->pump();  // an ordinary loop delivers the tick
    ui::stopTimer(w, 3);
    EXPECT_FALSE(messages.empty());
}

TEST_F(HostCases, AppendTextSyncFromAWorkerWhileTheLoopRuns) {
    std::string expected, modelText, shown;
    for (int i = 0; i < 200; ++i) expected += "LINE " + std::to_string(i) + "\r\n";
    std::thread worker;
    std::atomic<bool> done{false};
    ui::runModal(kTest, nullptr, [&](ui::Window& w, const ui::Message& m) {
        if (m.msg != ui::Msg::Init) return 0;
        ui::setTextLimit(w, kText, 65535);
        worker = std::thread([&w, &done] {
            for (int i = 0; i < 200; ++i)
                ui::appendTextSync(w, kText, "LINE " + std::to_string(i) + "\r\n");
            done = true;
        });
        driver->when([&] { return done.load(); },
                     [&] {
                         modelText = ui::getText(w, kText);
                         shown = driver->shown(w, kText).text;
                         ui::endDialog(w, 1);
                     },
                     [&] { ui::endDialog(w, 0); });
        return 1;
    });
    worker.join();
    EXPECT_EQ(modelText, expected);
    EXPECT_EQ(shown, expected);
}

TEST_F(HostCases, ModelChangesReachTheControls) {
    ui::Window& w = open(kTest);
    EXPECT_EQ(driver->shown(w, 0).text, "Test");
    EXPECT_EQ(driver->shown(w, kUpper).text, ui::getText(w, kUpper));
    EXPECT_FALSE(driver->shown(w, kLabel).visible || driver->shown(w, kLabel).enabled);
    EXPECT_EQ(driver->shown(w, kGo).text, "&Go");
    EXPECT_EQ(driver->shown(w, kWrap).text, "Reset to\r\nDefaults");  // broken to fit
    EXPECT_EQ(ui::getText(w, kWrap), "Reset to Defaults");

    ui::setText(w, kLabel, "PotValue: 17");
    ui::setText(w, kText, "one\r\ntwo");
    ui::check(w, kRadio, true);
    ui::enable(w, kGo, false);
    ui::show(w, kAuto, false);
    ui::show(w, kLabel, true);
    ui::enable(w, kLabel, true);
    ui::setProgress(w, kBar, 42);
    const Shown label = driver->shown(w, kLabel);
    EXPECT_EQ(label.text, "PotValue: 17");
    EXPECT_TRUE(label.visible && label.enabled);
    EXPECT_EQ(driver->shown(w, kText).text, ui::getText(w, kText));
    EXPECT_TRUE(driver->shown(w, kRadio).checked);
    EXPECT_FALSE(driver->shown(w, kGo).enabled);
    EXPECT_FALSE(driver->shown(w, kAuto).visible);
    EXPECT_EQ(driver->shown(w, kBar).value, 42);

    for (const char* entry : {"COM1", "COM3", "COM7"}) ui::comboAdd(w, kList, entry);
    ui::comboSelect(w, kList, 1);
    Shown list = driver->shown(w, kList);
    EXPECT_EQ(list.count, 3);
    EXPECT_EQ(list.value, 1);
    EXPECT_EQ(list.text, "COM3");
    driver->pump();
    EXPECT_TRUE(messages.empty());  // mirroring is not input

    // The user's choice is a selection change, the model's by then.
    int selectionSeen = -1;
    onMessage = [&](ui::Window& win, const ui::Message&) {
        return selectionSeen = ui::comboSelection(win, kList), 1;
    };
    driver->key(w, kList, Key::Down);
    EXPECT_EQ(messages, std::vector<ui::Message>{command(kList, ui::kSelectionChanged)});
    EXPECT_EQ(selectionSeen, 2);
    EXPECT_EQ(ui::getText(w, kList), "COM7");
    ui::comboSelect(w, kList, -1);
    EXPECT_EQ(driver->shown(w, kList).text, "");
    ui::comboReset(w, kList);
    EXPECT_EQ(driver->shown(w, kList).count, 0);
    driver->pump();
    EXPECT_EQ(messages.size(), 1u);  // the user's alone
    driver->type(w, kList, "abc");   // the text part is the user's
    EXPECT_EQ(ui::getText(w, kList), "abc");
}

}  // namespace
}  // namespace zttest
