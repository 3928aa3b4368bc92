#include "ui/qt/qt_accessible.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeySequence>
#include <QLineEdit>
#include <QRadioButton>

#include "ui/qt/qt_widgets.h"

namespace ui::qtview {

namespace {

// A radio button with its checked state. Pressing it clicks it, as a mouse
// click would; whether it becomes checked is the program's answer.
class RadioInterface : public QAccessibleWidget {
  public:
    explicit RadioInterface(QWidget* w) : QAccessibleWidget(w, QAccessible::RadioButton) {}

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        s.checked = button()->isChecked();
        return s;
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Accelerator)
            return QKeySequence::mnemonic(button()->text()).toString(QKeySequence::NativeText);
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override {
        return QStringList(pressAction()) + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action == pressAction() && button()->isEnabled())
            button()->click();
        else
            QAccessibleWidget::doAction(action);
    }

  private:
    QAbstractButton* button() const { return static_cast<QAbstractButton*>(widget()); }
};

// An editable list named by its accessible name (its label), whose value is
// the text part, with the drop-down list and the text part as its children,
// as Qt's own interface has them.
class ListInterface : public QAccessibleWidget {
  public:
    explicit ListInterface(QWidget* w) : QAccessibleWidget(w, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value)
            return combo()->lineEdit() ? combo()->lineEdit()->text() : combo()->currentText();
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.expandable = true;
        s.expanded = combo()->view() && combo()->view()->isVisible();
        s.editable = combo()->isEditable();
        return s;
    }
    int childCount() const override { return combo()->lineEdit() ? 2 : 1; }
    QAccessibleInterface* child(int index) const override {
        if (index == 0) return QAccessible::queryAccessibleInterface(combo()->view());
        if (index == 1 && combo()->lineEdit())
            return QAccessible::queryAccessibleInterface(combo()->lineEdit());
        return nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (!child) return -1;
        if (child->object() == combo()->view()) return 0;
        if (combo()->lineEdit() && child->object() == combo()->lineEdit()) return 1;
        return -1;
    }
    QStringList actionNames() const override {
        return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if ((action == showMenuAction() || action == pressAction()) && combo()->isEnabled())
            combo()->showPopup();
        else
            QAccessibleWidget::doAction(action);
    }

  private:
    QComboBox* combo() const { return static_cast<QComboBox*>(widget()); }
};

// The window's notice: a notification named by the last result.
class NoticeInterface : public QAccessibleWidget {
  public:
    explicit NoticeInterface(QWidget* w) : QAccessibleWidget(w, QAccessible::Notification) {}
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name)
            return QString::fromStdString(static_cast<Notice*>(widget())->text());
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* factory(const QString& key, QObject* object) {
    if (key == QLatin1String("QRadioButton") && dynamic_cast<ModelButton<QRadioButton>*>(object))
        return new RadioInterface(static_cast<QWidget*>(object));
    if (key == QLatin1String("QComboBox") && dynamic_cast<ModelCombo*>(object))
        return new ListInterface(static_cast<QWidget*>(object));
    if (key == QLatin1String("QWidget") && dynamic_cast<StatusArea*>(object))
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::StatusBar);
    if (key == QLatin1String("QWidget") && dynamic_cast<Notice*>(object))
        return new NoticeInterface(static_cast<QWidget*>(object));
    // A window of its own (the main window) is the application's frame, not a dialog.
    if (key == QLatin1String("QDialog") && !static_cast<QWidget*>(object)->parentWidget())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    return nullptr;
}

}  // namespace

void installAccessibleInterfaces() {
    static const bool installed = (QAccessible::installFactory(factory), true);
    (void)installed;
}

}  // namespace ui::qtview
