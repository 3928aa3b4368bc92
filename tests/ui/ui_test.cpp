// The dialog manager's rules in the model, as the scripted host runs them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/scripted_host.h"

namespace ui {
namespace {

const ControlTemplate kControls[] = {
    {1, Kind::PushButton, "OK", 4, 4, 40, 14, 0},
    {2, Kind::PushButton, "Cancel", 50, 4, 40, 14, 0},
    {10, Kind::CheckBox, "Auto", 4, 24, 60, 10, style::AutoCheck},
    {11, Kind::RadioButton, "Radio", 4, 36, 60, 10, 0},
    {12, Kind::ComboBox, "", 4, 48, 60, 40, style::VScroll},
    {13, Kind::Edit, "", 4, 64, 60, 12, style::UpperCase | style::Border},
    {14, Kind::Edit, "", 4, 78, 60, 12, style::Number | style::Border},
    {15, Kind::Edit, "", 4, 92, 60, 24, style::Multiline | style::Border},
};
const DialogTemplate kTemplate = {900, "Test",   nullptr, 0, 0,         100,
                                  120, "Tahoma", 8,       0, kControls, std::size(kControls)};

// Records every message; handles only what a test asks it to.
struct Recorder {
    std::vector<Message> seen;
    bool endOnClose = true;
    int operator()(Window& w, const Message& m) {
        seen.push_back(m);
        if (m.msg == Msg::Close && endOnClose) {
            endDialog(w, 7);
            return 1;
        }
        return m.msg == Msg::Init ? 1 : 0;
    }
};

class ModelTest : public ::testing::Test {
  protected:
    Window& open() {
        window = openWindow(kTemplate, nullptr,
                            [this](Window& w, const Message& m) { return recorder(w, m); });
        recorder.seen.clear();
        return *window;
    }
    void TearDown() override {
        if (window) closeWindow(*window);
    }
    bool lastIs(Msg msg, int id = 0, int code = 0) {
        if (recorder.seen.empty()) return false;
        const Message& m = recorder.seen.back();
        return m.msg == msg && m.id == id && m.code == code;
    }
    ScopedScriptedHost scoped;
    Recorder recorder;
    std::unique_ptr<Window> window;
};

TEST_F(ModelTest, EnterEscapeAndTheCloseBox) {
    Window& w = open();
    pressEnter(w);
    EXPECT_TRUE(lastIs(Msg::Command, kIdOk, 0));
    pressEscape(w);
    EXPECT_TRUE(lastIs(Msg::Command, kIdCancel, 0));
    enable(w, kIdCancel, false);
    recorder.seen.clear();
    pressEscape(w);
    EXPECT_TRUE(recorder.seen.empty());  // a disabled Cancel makes Escape do nothing
    click(w, kIdCancel);
    EXPECT_TRUE(recorder.seen.empty());  // and disabled buttons deliver nothing
    closeBox(w);
    EXPECT_TRUE(lastIs(Msg::Close));
    EXPECT_EQ(recorder.seen.size(), 1u);  // a close, never a command
    EXPECT_TRUE(w.ended);
    EXPECT_EQ(w.result, 7);
}

TEST_F(ModelTest, UnhandledCloseBecomesCancelUnlessCancelIsDisabled) {
    recorder.endOnClose = false;
    Window& w = open();
    closeBox(w);
    EXPECT_TRUE(lastIs(Msg::Command, kIdCancel, 0));
    enable(w, kIdCancel, false);
    closeBox(w);
    EXPECT_TRUE(lastIs(Msg::Close));
}

TEST_F(ModelTest, ButtonsAndLists) {
    Window& w = open();
    // The automatic check box has flipped by the time its command arrives.
    bool checkedAtCommand = false;
    window->proc = [&](Window& win, const Message& m) {
        if (m.msg == Msg::Command && m.id == 10) checkedAtCommand = isChecked(win, 10);
        return recorder(win, m);
    };
    click(w, 10);
    EXPECT_TRUE(checkedAtCommand);
    EXPECT_TRUE(lastIs(Msg::Command, 10, 0));
    click(w, 11);
    EXPECT_FALSE(isChecked(w, 11));  // a radio button is the program's to check
    EXPECT_TRUE(lastIs(Msg::Command, 11, 0));

    comboAdd(w, 12, "com3", 3);
    comboAdd(w, 12, "com12", 12);
    EXPECT_EQ(comboSelectedValue(w, 12), std::nullopt);
    selectItem(w, 12, 1);
    EXPECT_TRUE(lastIs(Msg::Command, 12, kSelectionChanged));
    EXPECT_EQ(comboSelection(w, 12), 1);
    EXPECT_EQ(getText(w, 12), "com12");
    EXPECT_EQ(comboSelectedValue(w, 12), 12);  // the value, whatever the text says
    comboSelect(w, 12, -1);
    EXPECT_EQ(getText(w, 12), "");
    EXPECT_EQ(comboSelectedValue(w, 12), std::nullopt);
    comboAdd(w, 12, "com7", 7);
    comboReset(w, 12);
    comboAdd(w, 12, "com9", 9);
    comboSelect(w, 12, 0);
    EXPECT_EQ(comboSelectedValue(w, 12), 9);  // values go with their entries
}

// A procedure made of a table: the first matching row runs, and what no row
// names is left to the dialog manager (an unhandled close becomes Cancel).
std::vector<std::string> ran;
void RunInit(Window&) {
    ran.push_back("init");
}
void RunOk(Window&) {
    ran.push_back("ok");
}
void RunListChange(Window&) {
    ran.push_back("list changed");
}
void RunTick(Window&) {
    ran.push_back("tick");
}
const Route kRoutes[] = {
    {Msg::Init, 0, RunInit},
    {Msg::Command, kIdOk, RunOk, 0},
    {Msg::Command, 12, RunListChange, kSelectionChanged},
    {Msg::Timer, 4, RunTick},
};

TEST(DispatchTest, RunsTheMatchingRowAndLeavesTheRest) {
    ScopedScriptedHost scoped;
    ran.clear();
    std::vector<Message> unhandled;
    auto w = openWindow(kTemplate, nullptr, [&](Window& win, const Message& m) {
        int handled = dispatch(kRoutes, win, m);
        if (!handled) unhandled.push_back(m);
        return handled;
    });
    pressEnter(*w);
    sendCommand(*w, kIdOk, 1);  // OK with another code is not OK
    comboAdd(*w, 12, "a");
    selectItem(*w, 12, 0);
    sendCommand(*w, 12, 5);
    startTimer(*w, 4, 100);
    startTimer(*w, 5, 100);
    timerTick(*w, 4);
    timerTick(*w, 5);
    closeBox(*w);
    EXPECT_EQ(ran, (std::vector<std::string>{"init", "ok", "list changed", "tick"}));
    ASSERT_EQ(unhandled.size(), 5u);
    EXPECT_EQ(unhandled[0].code, 1);
    EXPECT_EQ(unhandled[1].code, 5);
    EXPECT_EQ(unhandled[2].id, 5);
    EXPECT_EQ(unhandled[3].msg, Msg::Close);
    EXPECT_EQ(unhandled[4].id, kIdCancel);
    closeWindow(*w);
}

TEST_F(ModelTest, TypingFiltersAndConversions) {
    Window& w = open();
    std::vector<int> filtered;
    setCharFilter(w, 13, [&](Window&, int, int ch) {
        filtered.push_back(ch);
        return ch != '!';
    });
    for (int ch : {int('a'), int('!'), int('b'), 8, int('c')}) typeChar(w, 13, ch);
    EXPECT_EQ(getText(w, 13), "AC");
    paste(w, 13, "x!y");  // pasted text is converted, never filtered
    EXPECT_EQ(getText(w, 13), "ACX!Y");
    EXPECT_EQ(filtered, (std::vector<int>{'a', '!', 'b', 8, 'c'}));

    for (int ch : {int('1'), int('x'), int('2'), 8, int('3')}) typeChar(w, 14, ch);
    EXPECT_EQ(getText(w, 14), "13");

    typeChar(w, 15, 'a');
    typeChar(w, 15, '\r');
    typeChar(w, 15, 'b');
    EXPECT_EQ(getText(w, 15), "a\r\nb");  // line breaks are CR LF, as the count expects
    typeChar(w, 15, 8);
    typeChar(w, 15, 8);
    EXPECT_EQ(getText(w, 15), "a");
    typeChar(w, 13, '\r');  // a single-line edit takes no line break
    EXPECT_EQ(getText(w, 13), "ACX!Y");

    setTextLimit(w, 14, 3);
    for (int ch : {'4', '5', '6'}) typeChar(w, 14, ch);
    EXPECT_EQ(getText(w, 14), "134");
    enable(w, 14, false);
    EXPECT_FALSE(typeChar(w, 14, 8));
}

TEST_F(ModelTest, ModalRunsNestAndTimersTickOnlyWhileStarted) {
    Window& w = open();
    ScriptedHost& host = scoped.host;
    startTimer(w, 3, 100);
    host.tick(w, 3, 2);
    stopTimer(w, 3);
    host.tick(w, 3);
    int timerMessages = 0;
    for (const Message& m : recorder.seen) timerMessages += m.msg == Msg::Timer;
    EXPECT_EQ(timerMessages, 2);

    int inner = -1;
    host.onModal(900, [&](Window& dialog) {
        EXPECT_EQ(dialog.owner, &w);
        EXPECT_EQ(host.windows.size(), 2u);
        closeBox(dialog);
    });
    inner = runModal(kTemplate, &w, [](Window& d, const Message& m) {
        if (m.msg != Msg::Close) return 0;
        endDialog(d, 42);
        return 1;
    });
    EXPECT_EQ(inner, 42);
    EXPECT_EQ(host.windows.size(), 1u);
    EXPECT_EQ(host.unscripted, 0);
}

}  // namespace
}  // namespace ui
