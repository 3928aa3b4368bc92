// What a screen reader finds in the real windows, read through QAccessible as
// the AT-SPI bridge reads it: every control named on one line by its label,
// radio buttons as radio buttons, the status bar, access keys, and the focus
// after Test ZT run from the keyboard.

#include <QAccessible>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <algorithm>
#include <set>

#include "app/about.h"
#include "app/main_window.h"
#include "app/port_dialog.h"
#include "app/rtty_dialog.h"
#include "app/uploader.h"
#include "qt_fixture.h"
#include "resources/ids.h"
#include "resources/templates.h"
#include "support/app_fixture.h"

namespace zttest {
namespace {

namespace ids = zt::ids;

QAccessibleInterface* accessible(const ui::Window& w, int id) {
    return QAccessible::queryAccessibleInterface(ui::controlWidget(w, id));
}

std::set<QObject*> labelsOf(QAccessibleInterface* iface) {
    std::set<QObject*> labels;
    for (const auto& [label, relation] : iface->relations(QAccessible::Label))
        labels.insert(label->object());
    return labels;
}

using QtAccess = QtHostTest;

// The pairing rule as a screen reader meets it: each control that needs a
// name has one line of it; one the dialog layer pairs with a label is named
// by that label's text, and the label is its "labelled by" relation.
TEST_F(QtAccess, EveryControlOfEveryWindowIsNamedOnOneLineByItsLabel) {
    int named = 0, labelled = 0;
    for (const ui::DialogTemplate* t : zt::kAllTemplates) {
        ui::Window& w = open(*t);
        std::set<QString> names;  // a listener tells each control from the others
        for (const auto& [id, c] : w.controls) {
            if (!ui::needsName(c.kind)) continue;
            SCOPED_TRACE(w.title + ", " + std::to_string(id));
            if (c.kind == ui::Kind::ComboBox) ui::comboAdd(w, id, "an entry");  // not its name
            if (c.kind == ui::Kind::ComboBox) ui::comboSelect(w, id, 0);
            QAccessibleInterface* iface = accessible(w, id);
            ASSERT_TRUE(iface);
            const QString name = iface->text(QAccessible::Name);
            EXPECT_FALSE(name.isEmpty());
            EXPECT_FALSE(name.contains(QLatin1Char('\n')) || name.contains(QLatin1Char('&')))
                << name.toStdString();
            EXPECT_TRUE(names.insert(name).second) << name.toStdString();
            ++named;
            if (!c.label) continue;
            ++labelled;
            EXPECT_EQ(name.toStdString(), ui::getText(w, c.label));
            if (c.visible) {
                EXPECT_EQ(labelsOf(iface), std::set<QObject*>{ui::controlWidget(w, c.label)});
            }
        }
    }
    EXPECT_EQ(named, 81);
    EXPECT_GE(labelled, 23 + 4);  // the main window's edits and the RTTY lists at least
}

// A list is read as "Keyer Mode, combo box, Iambic B": its label as name,
// its entry as value.
TEST_F(QtAccess, AListIsNamedByItsLabelAndValuedByItsEntry) {
    ui::Window& w = open(zt::kMainTemplate);
    for (const char* entry : {"Iambic A", "Iambic B"}) ui::comboAdd(w, ids::kKeyerMode, entry);
    ui::comboSelect(w, ids::kKeyerMode, 1);
    ui::comboSetItemDescription(w, ids::kKeyerMode, 1, "the second");
    QAccessibleInterface* list = accessible(w, ids::kKeyerMode);
    EXPECT_EQ(list->role(), QAccessible::ComboBox);
    EXPECT_EQ(list->text(QAccessible::Name), QStringLiteral("Keyer Mode"));
    EXPECT_EQ(list->text(QAccessible::Value), QStringLiteral("Iambic B"));
    EXPECT_TRUE(list->state().editable);
    ASSERT_EQ(list->childCount(), 2);
    EXPECT_EQ(list->child(1)->object(), widgetOf<QComboBox>(w, ids::kKeyerMode)->lineEdit());
    EXPECT_EQ(list->indexOfChild(list->child(0)), 0);
    EXPECT_EQ(list->child(0)->parent()->object(), list->object());  // the entries' list
    QAccessibleInterface* entries = list->child(0);
    QString described;
    for (int i = 0; i < entries->childCount(); ++i)
        if (entries->child(i)->text(QAccessible::Name) == QLatin1String("Iambic B"))
            described = entries->child(i)->text(QAccessible::Description);
    EXPECT_EQ(described, QStringLiteral("the second"));
}

// The program checks its radio buttons itself; they are still radio buttons,
// checked as the model says, and pressing one clicks it.
TEST_F(QtAccess, RadioButtonsAreReportedAsSuchWithTheirCheckedState) {
    int radios = 0;
    for (const ui::DialogTemplate* t : zt::kAllTemplates) {
        ui::Window& w = open(*t);
        for (const auto& [id, c] : w.controls) {
            if (c.kind != ui::Kind::RadioButton) continue;
            ++radios;
            QAccessibleInterface* iface = accessible(w, id);
            EXPECT_EQ(iface->role(), QAccessible::RadioButton) << id;
            EXPECT_TRUE(iface->state().checkable) << id;
            for (bool on : {true, false}) {
                ui::check(w, id, on);
                EXPECT_EQ(iface->state().checked, on) << id;
            }
            messages.clear();
            iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
            EXPECT_EQ(messages, std::vector<ui::Message>{command(id)});
            EXPECT_FALSE(iface->state().checked);  // checking is the procedure's answer
        }
    }
    EXPECT_EQ(radios, 4);
}

// Results are announced: the three fields of the main window's lowest row
// are one status bar, and a new text in one of them is a change event.
TEST_F(QtAccess, TheStatusFieldsFormAStatusBarWhoseChangesAreEvents) {
    ui::Window& w = open(zt::kMainTemplate);
    QAccessibleInterface* bar = accessible(w, ids::kOpState)->parent();
    ASSERT_TRUE(bar);
    EXPECT_EQ(bar->role(), QAccessible::StatusBar);
    std::set<QObject*> fields;
    for (int i = 0; i < bar->childCount(); ++i) fields.insert(bar->child(i)->object());
    EXPECT_EQ(fields, (std::set<QObject*>{ui::controlWidget(w, ids::kMessageLine),
                                          ui::controlWidget(w, ids::kLinkStatus),
                                          ui::controlWidget(w, ids::kOpState)}));

    // The change event goes out while assistive technology listens (the
    // AT-SPI bus is up: the run under with-atspi); offscreen nobody does.
    if (!QAccessible::isActive()) return;
    static std::vector<std::pair<QObject*, QAccessible::Event>> events;
    events.clear();
    QAccessible::UpdateHandler bridge = QAccessible::installUpdateHandler(
        [](QAccessibleEvent* e) { events.emplace_back(e->object(), e->type()); });
    ui::setText(w, ids::kOpState, ">ZT OK");
    QAccessible::installUpdateHandler(bridge);
    const std::pair<QObject*, QAccessible::Event> changed{ui::controlWidget(w, ids::kOpState),
                                                          QAccessible::NameChanged};
    EXPECT_NE(std::find(events.begin(), events.end(), changed), events.end());
    EXPECT_EQ(accessible(w, ids::kOpState)->text(QAccessible::Name), QStringLiteral(">ZT OK"));
}

// Each push button of the main window is offered with its Alt+letter, none
// twice, and its caption shows the letter underlined and is otherwise as it was.
TEST_F(QtAccess, MainWindowButtonsHaveDistinctAccessKeys) {
    ui::Window& w = open(zt::kMainTemplate);
    std::set<QString> keys;
    for (const auto& [id, c] : w.controls) {
        if (c.kind != ui::Kind::PushButton) continue;
        QAccessibleInterface* iface = accessible(w, id);
        const QString key = iface->text(QAccessible::Accelerator);
        EXPECT_TRUE(key.startsWith(QStringLiteral("Alt+"))) << id << " " << key.toStdString();
        EXPECT_TRUE(keys.insert(key).second) << key.toStdString();
        QString shown = widgetOf<QPushButton>(w, id)->text();
        shown.replace(QLatin1Char('\n'), QLatin1Char(' '));
        EXPECT_EQ(shown.count(QLatin1Char('&')), 1) << shown.toStdString();
        EXPECT_EQ(shown.remove(QLatin1Char('&')).toStdString(), ui::getText(w, id));
    }
    EXPECT_EQ(keys.size(), 11u);
    EXPECT_EQ(accessible(w, ids::kTestZt)->text(QAccessible::Accelerator), QStringLiteral("Alt+T"));
}

// ---- The program's own main window ---------------------------------------------

class QtMainWindow : public zt::testing::AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        ui::setHost(&qt);
        session.comPortNumber = -3;  // no keyer: each detection fails at once
    }
    void TearDown() override {
        if (main) ui::closeWindow(*main);
        main.reset();
        ui::setHost(&host());
        AppTest::TearDown();
    }
    // The window shown and active, as the operator has it.
    QDialog* showMain() {
        QDialog* d = ui::windowWidget(openMain());
        d->show();
        EXPECT_TRUE(activate(d));
        return d;
    }
    ui::QtHost qt;
};

// Pressing Test ZT from the keyboard disables it while the test runs; the
// focus stays with it, never passing along the buttons disabled and enabled,
// so that the next Enter tests again rather than opening the About box. The
// result is a notification in the status bar, shown once the test is done.
TEST_F(QtMainWindow, TheFocusStaysOnTestZtWhileItRunsAndTheResultIsANotification) {
    showMain();
    QWidget* test = ui::controlWidget(*main, ids::kTestZt);
    test->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(test->hasFocus());
    std::vector<QWidget*> focused;
    const auto watch = QObject::connect(qApp, &QApplication::focusChanged,
                                        [&](QWidget*, QWidget* now) { focused.push_back(now); });
    static std::vector<std::pair<QObject*, QAccessible::Event>> events;
    events.clear();
    QAccessible::UpdateHandler bridge = QAccessible::installUpdateHandler(
        [](QAccessibleEvent* e) { events.emplace_back(e->object(), e->type()); });
    key(test, Qt::Key_Return);
    QApplication::processEvents();
    QAccessible::installUpdateHandler(bridge);
    QObject::disconnect(watch);
    EXPECT_EQ(ui::getText(*main, ids::kOpState), ">ZT ERR");  // the test ran
    for (QWidget* now : focused)
        if (now) {
            EXPECT_EQ(now, test) << now->accessibleName().toStdString();
        }
    EXPECT_EQ(QApplication::focusWidget(), test);
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(test)->state().focused);

    QAccessibleInterface* bar = accessible(*main, ids::kOpState)->parent();
    QAccessibleInterface* notice = nullptr;
    for (int i = 0; i < bar->childCount(); ++i)
        if (bar->child(i)->role() == QAccessible::Notification) notice = bar->child(i);
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->text(QAccessible::Name).toStdString(), main->announcement);
    EXPECT_NE(main->announcement.find(">ZT ERR"), std::string::npos);
    EXPECT_FALSE(notice->state().invisible);
    if (QAccessible::isActive()) {  // on the accessibility bus: shown anew, which is heard
        const std::pair<QObject*, QAccessible::Event> shown{notice->object(),
                                                            QAccessible::ObjectShow};
        EXPECT_NE(std::find(events.begin(), events.end(), shown), events.end());
    }

    // Alt+T from a message edit runs it too, and the edit keeps the focus.
    ui::setText(*main, ids::kOpState, "");
    QWidget* edit = ui::controlWidget(*main, ids::kMsg1);
    edit->setFocus(Qt::TabFocusReason);
    QTest::keyClick(edit, Qt::Key_T, Qt::AltModifier);
    EXPECT_TRUE(waitFor([&] { return !ui::getText(*main, ids::kOpState).empty(); }));
    EXPECT_EQ(QApplication::focusWidget(), edit);
}

// A refused user switch, with the real message box: once it is closed, the
// focus is in the field it named, that field's text selected for typing over.
TEST_F(QtMainWindow, ARefusedValueLeavesTheFocusInItsFieldWithTheTextSelected) {
    qt.messageBoxHook = nullptr;
    showMain();
    ui::click(*main, ids::kResetDefaults);
    ui::setText(*main, ids::kWeight, "9");
    QWidget* user2 = ui::controlWidget(*main, ids::kUser2);
    user2->setFocus(Qt::TabFocusReason);
    QString message;
    whenModal<QMessageBox>([&](QMessageBox* box) {
        message = box->text();
        box->button(QMessageBox::Ok)->click();
    });
    key(user2, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    auto* weight = widgetOf<QLineEdit>(*main, ids::kWeight);
    EXPECT_EQ(message, QStringLiteral("Weight must be between 10 and 90"));
    // The window's focus, which it has again once active (offscreen, nothing
    // makes it active again after the box).
    EXPECT_TRUE(waitFor([&] { return ui::windowWidget(*main)->focusWidget() == weight; }));
    EXPECT_EQ(weight->selectedText(), QStringLiteral("9"));
    EXPECT_TRUE(ui::isChecked(*main, ids::kUser1));
}

// Escape leaves each dialog as its Exit or Cancel does; Enter away from a push
// button is its OK (the uploader has none: Enter there presses the focused
// button).
TEST_F(QtMainWindow, EscapeAndEnterInEachDialog) {
    showMain();
    struct Case {
        const ui::DialogTemplate& t;
        ui::DialogProc proc;
        int key;
        bool ends;
        int result;
    } cases[] = {
        {zt::kPortTemplate, zt::PortDialogProc, Qt::Key_Escape, true, 0},
        {zt::kPortTemplate, zt::PortDialogProc, Qt::Key_Return, true, -1},  // as the list has it
        {zt::kAboutTemplate, zt::AboutProc, Qt::Key_Escape, true, 0},
        {zt::kAboutTemplate, zt::AboutProc, Qt::Key_Return, true, 1},
        {zt::kRttyTemplate, zt::RttyProc, Qt::Key_Escape, true, 0},
        {zt::kRttyTemplate, zt::RttyProc, Qt::Key_Return, true, 1},
        {zt::kUploaderTemplate, zt::UploaderProc, Qt::Key_Escape, true, 0},
    };
    for (const Case& c : cases) {
        std::unique_ptr<ui::Window> d = ui::openWindow(c.t, main.get(), c.proc);
        QDialog* view = ui::windowWidget(*d);
        view->show();
        ASSERT_TRUE(activate(view));
        key(view->focusWidget() ? view->focusWidget() : view, c.key);
        EXPECT_EQ(d->ended, c.ends) << c.t.title << " " << c.key;
        if (c.result >= 0) {
            EXPECT_EQ(d->result, c.result) << c.t.title << " " << c.key;
        }
        ui::closeWindow(*d);
    }
}

}  // namespace
}  // namespace zttest
