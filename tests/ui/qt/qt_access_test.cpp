// What a screen reader finds in the real windows, read through QAccessible as
// the AT-SPI bridge reads it: every control as the model names it, radio
// buttons as radio buttons, the status bar, access keys, and the focus after
// Test ZT run from the keyboard.

#include <QAccessible>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <set>

#include "app/main_window.h"
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

using Event = std::pair<QObject*, QAccessible::Event>;

// What the accessibility bridge is told while act runs.
std::vector<Event> eventsDuring(const std::function<void()>& act) {
    static std::vector<Event> events;
    events.clear();
    QAccessible::UpdateHandler bridge = QAccessible::installUpdateHandler(
        [](QAccessibleEvent* e) { events.emplace_back(e->object(), e->type()); });
    act();
    QAccessible::installUpdateHandler(bridge);
    return events;
}

using QtAccess = QtHostTest;

// Each control of every window as a screen reader meets it: named as the model
// names it (a list not by its entry), "labelled by" its visible label; a push
// button offered with its Alt+letter, underlined in its caption; a radio
// button as such, checked as the model says, pressed as clicked.
TEST_F(QtAccess, EveryControlOfEveryWindowIsReadAsTheModelHasIt) {
    int named = 0, buttons = 0, radios = 0;
    for (const ui::DialogTemplate* t : zt::kAllTemplates) {
        ui::Window& w = open(*t);
        for (const auto& [id, c] : w.controls) {
            SCOPED_TRACE(w.title + ", " + std::to_string(id));
            QAccessibleInterface* iface = accessible(w, id);
            ASSERT_TRUE(iface);
            if (c.kind == ui::Kind::ComboBox) ui::comboAdd(w, id, "an entry");  // not its name
            if (c.kind == ui::Kind::ComboBox) ui::comboSelect(w, id, 0);
            if (ui::needsName(c.kind)) {
                ++named;
                EXPECT_EQ(iface->text(QAccessible::Name).toStdString(), c.name);
            }
            if (c.label && c.visible) {
                EXPECT_EQ(labelsOf(iface), std::set<QObject*>{ui::controlWidget(w, c.label)});
            }
            if (c.kind == ui::Kind::PushButton) {
                ++buttons;
                EXPECT_EQ(iface->text(QAccessible::Accelerator).toUpper(),
                          QStringLiteral("ALT+") + QLatin1Char(c.accessKey));
                QString shown = widgetOf<QPushButton>(w, id)->text().replace(QLatin1Char('\n'),
                                                                             QLatin1Char(' '));
                EXPECT_EQ(shown.count(QLatin1Char('&')), 1) << shown.toStdString();
                EXPECT_EQ(shown.remove(QLatin1Char('&')).toStdString(), ui::getText(w, id));
            }
            if (c.kind != ui::Kind::RadioButton) continue;
            ++radios;
            EXPECT_EQ(iface->role(), QAccessible::RadioButton);
            EXPECT_TRUE(iface->state().checkable);
            for (bool on : {true, false}) {
                ui::check(w, id, on);
                EXPECT_EQ(iface->state().checked, on);
            }
            messages.clear();
            iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
            EXPECT_EQ(messages, std::vector<ui::Message>{command(id)});
            EXPECT_FALSE(iface->state().checked);  // checking is the procedure's answer
        }
    }
    EXPECT_EQ(named, 81);
    EXPECT_EQ(buttons, 11 + 2 + 3 + 1 + 2);
    EXPECT_EQ(radios, 4);
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
    const auto events = eventsDuring([&] { ui::setText(w, ids::kOpState, ">ZT OK"); });
    const Event changed{ui::controlWidget(w, ids::kOpState), QAccessible::NameChanged};
    EXPECT_NE(std::ranges::find(events, changed), events.end());
    EXPECT_EQ(accessible(w, ids::kOpState)->text(QAccessible::Name), QStringLiteral(">ZT OK"));
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
    const auto events = eventsDuring([&] {
        key(test, Qt::Key_Return);
        QApplication::processEvents();
    });
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
        EXPECT_NE(std::ranges::find(events, Event{notice->object(), QAccessible::ObjectShow}),
                  events.end());
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

}  // namespace
}  // namespace zttest
