// User input on the Qt host beyond the cases every host shares
// (tests/ui/hosts/host_cases.cpp): what only Qt's events and widgets have.

#include <QComboBox>
#include <QDialog>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "qt_fixture.h"
#include "resources/ids.h"
#include "resources/templates.h"

namespace zttest {
namespace {

using QtInput = QtHostTest;

// The keypad's Enter, Escape to the window itself, and Enter in a multi-line
// edit, which is the default button's as on Windows (Wine's edit differs). No
// QPushButton is a default of its own, which would press it behind the model.
TEST_F(QtInput, KeypadEnterAndEscapeToTheWindowAreCommandsToo) {
    ui::Window& w = open(kTest);
    for (QPushButton* b : ui::windowWidget(w)->findChildren<QPushButton*>())
        EXPECT_FALSE(b->autoDefault() || b->isDefault());
    key(widgetOf(w, kAuto), Qt::Key_Enter);
    key(widgetOf(w, kText), Qt::Key_Return);
    key(ui::windowWidget(w), Qt::Key_Escape);
    EXPECT_EQ(messages, (std::vector<ui::Message>{command(1), command(1), command(2)}));
}

// Composed text (a dead key, a compose sequence) reaches a Qt edit as an
// input method event, not as keys: the filter sees it all the same.
TEST_F(QtInput, ACharFilterSeesComposedCharacters) {
    ui::Window& w = open(kTest);
    std::vector<int> seen;
    ui::setCharFilter(w, kText, [&](ui::Window&, int, int ch) {
        seen.push_back(ch);
        return ch != '#';
    });
    QInputMethodEvent composed;
    composed.setCommitString(QStringLiteral("#d"));
    QApplication::sendEvent(widgetOf(w, kText), &composed);
    EXPECT_EQ(seen, (std::vector<int>{'#', 'd'}));
    EXPECT_EQ(ui::getText(w, kText), "D");
}

// The focus the user gives is told; an access key clicks its button from
// anywhere; the program places the focus, an edit's text selected.
TEST_F(QtInput, TheFocusIsToldAndPlacedAndAnAccessKeyClicksFromAnywhere) {
    ui::Window& w = open(kTest);
    ASSERT_TRUE(activate(ui::windowWidget(w)));
    QWidget* edit = widgetOf(w, kUpper);
    edit->setFocus();
    EXPECT_EQ(ui::focusedControl(w), kUpper);
    QTest::keyClick(edit, Qt::Key_G, Qt::AltModifier);
    EXPECT_TRUE(waitFor([&] { return !messages.empty(); }));
    EXPECT_EQ(messages, std::vector<ui::Message>{command(kGo)});
    EXPECT_EQ(ui::getText(w, kUpper), "start");  // no "g" typed
    ui::setFocus(w, kList);                      // the focus is in its text part
    EXPECT_EQ(ui::focusedControl(w), kList);
    ui::setFocus(w, kUpper, true);
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(widgetOf<QLineEdit>(w, kUpper)->selectedText(), QStringLiteral("start"));
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

// A multi-line edit that scrolls with the caret and has no scroll bar (the
// message edits): typing past its bottom keeps the caret line in view, and no
// bar ever shows.
TEST_F(QtInput, AnEditThatScrollsWithTheCaretShowsNoScrollBar) {
    ui::Window& w = open(zt::kMainTemplate);
    auto* edit = widgetOf<QPlainTextEdit>(w, zt::ids::kMsg1);
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
    EXPECT_EQ(ui::getText(w, zt::ids::kMsg1), typed);
    EXPECT_GT(edit->verticalScrollBar()->maximum(), 0) << "the text never passed the bottom";
    EXPECT_EQ(caretHidden, 0) << "the caret went out of view";
    EXPECT_FALSE(edit->verticalScrollBar()->isVisible());
}

}  // namespace
}  // namespace zttest
