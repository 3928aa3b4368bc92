// User input on the Qt host: real key and mouse events reach the model as the
// Windows dialog manager turns them into messages.

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

#include "qt_fixture.h"
#include "resources/ids.h"
#include "resources/templates.h"

namespace zttest {
namespace {

using QtInput = QtHostTest;

TEST_F(QtInput, EnterAndEscapeAreCommandsOneAndTwoAndCloseNothing) {
    ui::Window& w = open(kTest);
    key(widgetOf(w, kUpper), Qt::Key_Return);
    key(widgetOf(w, kAuto), Qt::Key_Enter);
    key(widgetOf(w, kList), Qt::Key_Escape);
    key(widgetOf(w, kText), Qt::Key_Return);  // a line break needs Ctrl
    key(ui::windowWidget(w), Qt::Key_Escape);
    key(widgetOf(w, kGo), Qt::Key_Return);  // a focused push button is the default
    EXPECT_EQ(messages, (std::vector<ui::Message>{command(1), command(1), command(2), command(1),
                                                  command(2), command(kGo)}));
    EXPECT_TRUE(ui::windowWidget(w)->isVisible());
    EXPECT_EQ(ui::getText(w, kText), "");

    ui::Window& c = open(kChild);
    messages.clear();
    ui::enable(c, 2, false);
    key(widgetOf(c, 1), Qt::Key_Escape);
    EXPECT_TRUE(messages.empty());
}

TEST_F(QtInput, TheCloseBoxSendsCloseAndTheProcedureDecides) {
    ui::Window& w = open(kTest);
    ui::windowWidget(w)->close();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].msg, ui::Msg::Close);
    EXPECT_TRUE(ui::windowWidget(w)->isVisible());
    onMessage = [](ui::Window& win, const ui::Message&) { return ui::endDialog(win, 5), 1; };
    ui::windowWidget(w)->close();
    EXPECT_EQ(w.result, 5);
    EXPECT_FALSE(ui::windowWidget(w)->isVisible());
}

TEST_F(QtInput, ButtonsLeaveTheirStateToTheModel) {
    ui::Window& w = open(kTest);
    for (QPushButton* b : ui::windowWidget(w)->findChildren<QPushButton*>())
        EXPECT_FALSE(b->autoDefault() || b->isDefault());
    std::vector<bool> autoSeen;  // model and widget when the command arrives
    onMessage = [&](ui::Window& win, const ui::Message& m) {
        if (m.id == kAuto)
            autoSeen = {ui::isChecked(win, kAuto), widgetOf<QCheckBox>(win, kAuto)->isChecked()};
        return 1;
    };
    for (int id : {kAuto, kManual, kRadio}) mouseClick(widgetOf(w, id));
    EXPECT_EQ(autoSeen, (std::vector<bool>{true, true}));
    EXPECT_EQ(messages,
              (std::vector<ui::Message>{command(kAuto), command(kManual), command(kRadio)}));
    EXPECT_FALSE(ui::isChecked(w, kManual) || widgetOf<QCheckBox>(w, kManual)->isChecked());
    EXPECT_FALSE(ui::isChecked(w, kRadio) || widgetOf<QRadioButton>(w, kRadio)->isChecked());
    ui::check(w, kRadio, true);
    mouseClick(widgetOf(w, kRadio));  // no toggling back either
    EXPECT_TRUE(widgetOf<QRadioButton>(w, kRadio)->isChecked());
}

TEST_F(QtInput, DisabledAndHiddenControlsDeliverNothing) {
    ui::Window& w = open(kTest);
    for (int id : {kGo, kAuto, kDigits}) ui::enable(w, id, false);
    ui::show(w, kManual, false);
    for (int id : {kGo, kAuto, kManual}) mouseClick(widgetOf(w, id));
    type(widgetOf(w, kDigits), QStringLiteral("12"));
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(ui::isChecked(w, kAuto));
    EXPECT_EQ(ui::getText(w, kDigits), "");
}

TEST_F(QtInput, AnAccessKeyClicksItsButtonFromAnywhereInTheWindow) {
    ui::Window& w = open(kTest);
    ASSERT_TRUE(activate(ui::windowWidget(w)));
    EXPECT_EQ(widgetOf<QPushButton>(w, kGo)->text(), QStringLiteral("&Go"));
    EXPECT_EQ(ui::getText(w, kGo), "Go");
    QWidget* edit = widgetOf(w, kUpper);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_G, Qt::AltModifier);
    EXPECT_TRUE(waitFor([&] { return !messages.empty(); }));
    EXPECT_EQ(messages, std::vector<ui::Message>{command(kGo)});
    EXPECT_EQ(ui::getText(w, kUpper), "start");  // no "g" typed
}

TEST_F(QtInput, TheFocusIsToldAndPlacedWithAnEditsTextSelected) {
    ui::Window& w = open(kTest);
    ASSERT_TRUE(activate(ui::windowWidget(w)));
    widgetOf(w, kDigits)->setFocus();
    EXPECT_EQ(ui::focusedControl(w), kDigits);
    ui::setFocus(w, kUpper, true);
    EXPECT_TRUE(widgetOf(w, kUpper)->hasFocus());
    EXPECT_EQ(widgetOf<QLineEdit>(w, kUpper)->selectedText(), QStringLiteral("start"));
    ui::setFocus(w, kList);  // the focus is in its text part
    EXPECT_EQ(ui::focusedControl(w), kList);
}

TEST_F(QtInput, AComboSelectionByTheUserSendsCodeOne) {
    ui::Window& w = open(kTest);
    for (const char* item : {"45.45", "50", "75"}) ui::comboAdd(w, kList, item);
    ui::comboSelect(w, kList, 0);  // the program's own selection sends nothing
    int selectionSeen = -1;
    onMessage = [&](ui::Window& win, const ui::Message&) {
        return selectionSeen = ui::comboSelection(win, kList), 1;
    };
    key(widgetOf(w, kList), Qt::Key_Down);
    EXPECT_EQ(messages, std::vector<ui::Message>{command(kList, ui::kSelectionChanged)});
    EXPECT_EQ(selectionSeen, 1);
    EXPECT_EQ(ui::getText(w, kList), "50");
}

// As on Windows, only a choice from the list is one: an entry's exact text
// typed into the text part is no choice when the focus leaves the list, nor
// when the window loses the focus.
TEST_F(QtInput, AnEntrysTextTypedIntoTheListIsNoChoiceWhenLeft) {
    ui::Window& w = open(kTest);
    for (const char* item : {"Ultimatic", "UltimDit", "UltimDah"}) ui::comboAdd(w, kList, item);
    ui::comboSelect(w, kList, 0);
    auto* combo = widgetOf<QComboBox>(w, kList);
    for (Qt::FocusReason reason : {Qt::TabFocusReason, Qt::ActiveWindowFocusReason}) {
        combo->lineEdit()->clear();
        type(combo->lineEdit(), QStringLiteral("UltimDit"));
        QFocusEvent leave(QEvent::FocusOut, reason);
        QApplication::sendEvent(combo, &leave);
        EXPECT_TRUE(messages.empty()) << reason;
        EXPECT_EQ(ui::comboSelection(w, kList), 0);
        EXPECT_EQ(combo->currentIndex(), 0);
        EXPECT_EQ(combo->currentText(), QStringLiteral("UltimDit"));  // the typed text stays
    }
}

TEST_F(QtInput, EditsConvertAndRefuseTypedKeysButNotPastedText) {
    ui::Window& w = open(kTest);
    auto* line = widgetOf<QLineEdit>(w, kUpper);
    line->clear();
    type(line, QStringLiteral("ab1"));
    QApplication::clipboard()->setText(QStringLiteral("cd"));
    line->paste();
    EXPECT_EQ(ui::getText(w, kUpper), "AB1CD");
    EXPECT_EQ(line->text(), QStringLiteral("AB1CD"));

    auto* digits = widgetOf<QLineEdit>(w, kDigits);
    type(digits, QStringLiteral("1a2-3"));
    key(digits, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
    QApplication::clipboard()->setText(QStringLiteral("x9"));
    digits->paste();
    EXPECT_EQ(ui::getText(w, kDigits), "12x9");
}

TEST_F(QtInput, ACharFilterSeesTypedCharactersOnly) {
    ui::Window& w = open(kTest);
    std::vector<int> seen;
    ui::setCharFilter(w, kText, [&](ui::Window&, int, int ch) {
        seen.push_back(ch);
        return ch != '#';
    });
    auto* text = widgetOf<QPlainTextEdit>(w, kText);
    type(text, QStringLiteral("a#b"));
    key(text, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
    key(text, Qt::Key_Return, Qt::ControlModifier, QStringLiteral("\n"));
    QInputMethodEvent composed;  // a dead key or compose sequence
    composed.setCommitString(QStringLiteral("#d"));
    QApplication::sendEvent(text, &composed);
    QApplication::clipboard()->setText(QStringLiteral("#c\ne"));
    key(text, Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
    EXPECT_EQ(seen, (std::vector<int>{'a', '#', 'b', 8, '\n', '#', 'd', 0x16}));
    EXPECT_EQ(ui::getText(w, kText), "A\r\nD#C\r\nE");  // CR LF, as in a Windows edit
    EXPECT_EQ(text->toPlainText(), QStringLiteral("A\nD#C\nE"));
}

TEST_F(QtInput, TypingAndPastingStopAtTheTextLimit) {
    ui::Window& w = open(kTest);
    ui::setTextLimit(w, kText, 4);
    auto* text = widgetOf<QPlainTextEdit>(w, kText);
    type(text, QStringLiteral("ab"));
    key(text, Qt::Key_Return, Qt::ControlModifier, QStringLiteral("\n"));  // CR LF: two
    type(text, QStringLiteral("c"));
    EXPECT_EQ(ui::getText(w, kText), "AB\r\n");
    QApplication::clipboard()->setText(QStringLiteral("vwxyz"));
    text->selectAll();
    text->paste();
    EXPECT_EQ(ui::getText(w, kText), "VWXY");
}

// Text the program appends (the upload log) stops at the edit's limit, as
// the Win32 edit keeps it.
TEST_F(QtInput, AppendedTextStopsAtTheTextLimit) {
    ui::Window& w = open(kTest);
    ui::setTextLimit(w, kText, 12);
    ui::appendTextSync(w, kText, "0123 45\r\n");
    ui::appendTextSync(w, kText, "6789\r\n");
    ui::appendTextSync(w, kText, "more\r\n");
    EXPECT_EQ(ui::getText(w, kText), "0123 45\r\n678");
    EXPECT_EQ(widgetOf<QPlainTextEdit>(w, kText)->toPlainText(), QStringLiteral("0123 45\n678"));
}

// A multi-line edit that scrolls with the caret and has no scroll bar (the
// message edits): typing past its bottom keeps the caret line in view, and no
// bar ever shows.
TEST_F(QtInput, AnEditThatScrollsWithTheCaretShowsNoScrollBar) {
    ui::Window& test = open(kTest);
    ui::Window& main = open(zt::kMainTemplate);
    for (auto [w, id] : {std::pair{&test, int{kText}}, std::pair{&main, int{zt::ids::kMsg1}}}) {
        SCOPED_TRACE(w->title + (", " + std::to_string(id)));
        auto* edit = widgetOf<QPlainTextEdit>(*w, id);
        ASSERT_TRUE(edit);
        int caretHidden = 0;
        std::string typed;
        for (int line = 0; line < 12; ++line) {
            const QString words = QStringLiteral("cq test de zt%1 ").arg(line);
            for (QChar c : words) {
                type(edit, QString(c));
                caretHidden += edit->viewport()->rect().contains(edit->cursorRect()) ? 0 : 1;
            }
            key(edit, Qt::Key_Return, Qt::ControlModifier, QStringLiteral("\n"));
            caretHidden += edit->viewport()->rect().contains(edit->cursorRect()) ? 0 : 1;
            typed += words.toUpper().toStdString() + "\r\n";
        }
        EXPECT_EQ(ui::getText(*w, id), typed);
        EXPECT_GT(edit->verticalScrollBar()->maximum(), 0) << "the text never passed the bottom";
        EXPECT_EQ(caretHidden, 0) << "the caret went out of view";
        EXPECT_FALSE(edit->verticalScrollBar()->isVisible());
    }
}

}  // namespace
}  // namespace zttest
