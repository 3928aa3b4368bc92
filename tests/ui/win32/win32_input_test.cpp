// User input on the Win32 host: real key and mouse input reaches the model as
// Windows' dialog manager turns it into messages.

#include <cstring>

#include "win32_fixture.h"

namespace zttest {
namespace {

using Win32Input = Win32HostTest;

TEST_F(Win32Input, EnterAndEscapeAreCommandsOneAndTwoAndCloseNothing) {
    ui::Window& w = open(kTest);
    key(item(w, kUpper), VK_RETURN);
    key(item(w, kAuto), VK_RETURN);
    key(item(w, kDigits), VK_ESCAPE);
    key(item(w, kGo), VK_RETURN);  // a focused push button is the default
    EXPECT_EQ(messages,
              (std::vector<ui::Message>{command(1), command(1), command(2), command(kGo)}));
    // In a multi-line edit Enter breaks no line (that needs Ctrl); what it
    // sends instead differs between Windows and Wine, and no procedure of the
    // program handles either.
    key(item(w, kText), VK_RETURN);
    EXPECT_TRUE(IsWindowVisible(ui::windowHandle(w)));
    EXPECT_EQ(ui::getText(w, kText), "");

    ui::Window& c = open(kChild);
    messages.clear();
    ui::enable(c, 2, false);
    key(item(c, 1), VK_ESCAPE);
    EXPECT_TRUE(messages.empty());
}

// The close box: a Close message, nothing else; left unhandled, Windows
// answers it with the cancel command, unless a cancel control is disabled.
TEST_F(Win32Input, TheCloseBoxSendsCloseAndTheProcedureDecides) {
    ui::Window& w = open(kChild);
    HWND dialog = ui::windowHandle(w);
    SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    pump();
    EXPECT_EQ(messages, std::vector<ui::Message>{{ui::Msg::Close}});
    EXPECT_TRUE(IsWindowVisible(dialog));

    onMessage = [](ui::Window&, const ui::Message&) { return 0; };
    messages.clear();
    SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    pump();
    EXPECT_EQ(messages, (std::vector<ui::Message>{{ui::Msg::Close}, command(2)}));
    ui::enable(w, 2, false);
    messages.clear();
    SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    pump();
    EXPECT_EQ(messages, std::vector<ui::Message>{{ui::Msg::Close}});

    onMessage = [](ui::Window& win, const ui::Message&) { return ui::endDialog(win, 5), 1; };
    SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    pump();
    EXPECT_EQ(w.result, 5);
    EXPECT_FALSE(IsWindowVisible(dialog));
}

TEST_F(Win32Input, AutomaticCheckBoxesFlipFirstAndNothingElseFlipsItself) {
    ui::Window& w = open(kTest);
    std::vector<bool> autoSeen;  // model and control when the command arrives
    onMessage = [&](ui::Window& win, const ui::Message& m) {
        if (m.id == kAuto)
            autoSeen = {ui::isChecked(win, kAuto),
                        IsDlgButtonChecked(ui::windowHandle(win), kAuto) == BST_CHECKED};
        return 1;
    };
    for (int id : {kAuto, kManual, kRadio}) click(item(w, id));
    EXPECT_EQ(autoSeen, (std::vector<bool>{true, true}));
    EXPECT_EQ(messages,
              (std::vector<ui::Message>{command(kAuto), command(kManual), command(kRadio)}));
    EXPECT_FALSE(ui::isChecked(w, kManual) || IsDlgButtonChecked(ui::windowHandle(w), kManual));
    EXPECT_FALSE(ui::isChecked(w, kRadio) || IsDlgButtonChecked(ui::windowHandle(w), kRadio));
    ui::check(w, kRadio, true);
    click(item(w, kRadio));  // no toggling back either
    EXPECT_EQ(IsDlgButtonChecked(ui::windowHandle(w), kRadio), static_cast<UINT>(BST_CHECKED));
    EXPECT_TRUE(ui::isChecked(w, kRadio));
}

TEST_F(Win32Input, DisabledAndHiddenControlsDeliverNothing) {
    ui::Window& w = open(kTest);
    for (int id : {kGo, kAuto, kDigits}) ui::enable(w, id, false);
    ui::show(w, kManual, false);
    for (int id : {kGo, kAuto, kManual}) click(item(w, id));
    type(item(w, kDigits), "12");
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(ui::isChecked(w, kAuto));
    EXPECT_EQ(ui::getText(w, kDigits), "");
}

TEST_F(Win32Input, AListSelectionByTheUserSendsCodeOneAndTheProgramsSendsNothing) {
    ui::Window& w = open(kTest);
    for (const char* entry : {"45.45", "50", "75"}) ui::comboAdd(w, kList, entry);
    ui::comboSelect(w, kList, 0);
    pump();
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(textOf(item(w, kList)), "45.45");
    int selectionSeen = -1;
    onMessage = [&](ui::Window& win, const ui::Message&) {
        return selectionSeen = ui::comboSelection(win, kList), 1;
    };
    key(item(w, kList), VK_DOWN);
    EXPECT_EQ(messages, std::vector<ui::Message>{command(kList, ui::kSelectionChanged)});
    EXPECT_EQ(selectionSeen, 1);
    EXPECT_EQ(ui::getText(w, kList), "50");
}

TEST_F(Win32Input, EditsConvertAndRefuseTypedKeysButNotPastedText) {
    ui::Window& w = open(kTest);
    ui::setText(w, kUpper, "");
    type(item(w, kUpper), "ab1");
    setClipboard("cd");
    SendMessageA(item(w, kUpper), WM_PASTE, 0, 0);
    pump();
    EXPECT_EQ(ui::getText(w, kUpper), "AB1CD");
    EXPECT_EQ(textOf(item(w, kUpper)), "AB1CD");

    type(item(w, kDigits), "1a2-3");
    key(item(w, kDigits), VK_BACK);
    setClipboard("x9");
    SendMessageA(item(w, kDigits), WM_PASTE, 0, 0);
    pump();
    EXPECT_EQ(ui::getText(w, kDigits), "12x9");
}

TEST_F(Win32Input, ACharFilterSeesTypedCharactersOnly) {
    ui::Window& w = open(kTest);
    std::vector<int> seen;
    ui::setCharFilter(w, kText, [&](ui::Window&, int, int ch) {
        seen.push_back(ch);
        return ch != '#';
    });
    HWND text = item(w, kText);
    type(text, "a#b");
    key(text, VK_BACK);
    key(text, VK_RETURN, true);  // Ctrl+Enter: a line break, typed as LF
    setClipboard("#c\r\ne");
    key(text, 'V', true);  // Ctrl+V types 0x16, and the edit pastes
    EXPECT_EQ(seen, (std::vector<int>{'a', '#', 'b', 8, '\n', 0x16}));
    EXPECT_EQ(ui::getText(w, kText), "A\r\n#C\r\nE");
    EXPECT_EQ(textOf(text), "A\r\n#C\r\nE");
}

TEST_F(Win32Input, TypingAndPastingStopAtTheTextLimit) {
    ui::Window& w = open(kTest);
    ui::setTextLimit(w, kText, 4);
    HWND text = item(w, kText);
    type(text, "ab");
    key(text, VK_RETURN, true);  // CR LF: two
    type(text, "c");
    EXPECT_EQ(ui::getText(w, kText), "AB\r\n");
    setClipboard("vwxyz");
    SendMessageA(text, EM_SETSEL, 0, -1);
    SendMessageA(text, WM_PASTE, 0, 0);
    pump();
    EXPECT_EQ(ui::getText(w, kText), "VWXY");
}

}  // namespace
}  // namespace zttest
