// The Qt host as the shared host cases drive it: Qt input events sent to the
// widgets, and what the widgets show.

#include <QAbstractButton>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QThread>

#include "qt_fixture.h"

namespace zttest {
namespace {

QWidget* widget(const ui::Window& w, int id) {
    return id ? ui::controlWidget(w, id) : ui::windowWidget(w);
}

class PaintCounter : public QObject {
  public:
    int n = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        n += e->type() == QEvent::Paint;
        return false;
    }
};

class QtDriver : public HostDriver {
  public:
    ui::Host& host() override { return host_; }
    void show(ui::Window& w, int) override { ui::windowWidget(w)->show(); }

    void key(ui::Window& w, int id, Key k) override {
        QWidget* to = widget(w, id);
        switch (k) {
            case Key::Enter:
                return zttest::key(to, Qt::Key_Return);
            case Key::Escape:
                return zttest::key(to, Qt::Key_Escape);
            case Key::Down:
                return zttest::key(to, Qt::Key_Down);
            case Key::Backspace:
                return zttest::key(to, Qt::Key_Backspace, {}, QStringLiteral("\b"));
            case Key::CtrlEnter:
                return zttest::key(to, Qt::Key_Return, Qt::ControlModifier, QStringLiteral("\n"));
            case Key::CtrlV:
                return zttest::key(to, Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
        }
    }
    void type(ui::Window& w, int id, const std::string& s) override {
        QWidget* to = widget(w, id);
        if (auto* combo = qobject_cast<QComboBox*>(to)) to = combo->lineEdit();
        zttest::type(to, QString::fromStdString(s));
    }
    void click(ui::Window& w, int id) override { mouseClick(widget(w, id)); }
    void closeBox(ui::Window& w) override { ui::windowWidget(w)->close(); }
    void setClipboard(const std::string& s) override {
        QApplication::clipboard()->setText(QString::fromStdString(s));
    }
    void paste(ui::Window& w, int id) override {
        QMetaObject::invokeMethod(widget(w, id), "paste");
    }
    void selectAll(ui::Window& w, int id) override {
        QMetaObject::invokeMethod(widget(w, id), "selectAll");
    }

    // As the Win32 driver's: a few rounds, a moment apart, so that what
    // comes due meanwhile (a timer re-armed under a blocking operation) runs.
    void pump() override {
        for (int round = 0; round < 3; ++round) {
            QCoreApplication::processEvents();
            QThread::msleep(5);
        }
    }
    void when(std::function<bool()> ready, std::function<void()> then,
              std::function<void()> giveUp) override {
        zttest::when(std::move(ready), std::move(then), std::move(giveUp));
    }
    void press(ui::Window& w, int id) override { mouseClick(widget(w, id)); }

    Shown shown(const ui::Window& w, int id) override {
        QWidget* wd = widget(w, id);
        Shown s{{}, wd->isVisible(), wd->isEnabled()};
        QString text = wd->windowTitle();
        if (auto* b = qobject_cast<QAbstractButton*>(wd)) {
            text = b->text();
            s.checked = b->isChecked();
        } else if (auto* l = qobject_cast<QLabel*>(wd)) {
            text = l->text();
        } else if (auto* e = qobject_cast<QLineEdit*>(wd)) {
            text = e->text();
        } else if (auto* e = qobject_cast<QPlainTextEdit*>(wd)) {
            text = e->toPlainText();
        } else if (auto* c = qobject_cast<QComboBox*>(wd)) {
            text = c->currentText();
            s.value = c->currentIndex();
            s.count = c->count();
        } else if (auto* p = qobject_cast<QProgressBar*>(wd)) {
            s.value = p->value();
        }
        s.text = text.replace(QLatin1Char('\n'), QStringLiteral("\r\n")).toStdString();
        return s;
    }
    void watchPaint(ui::Window& w, int id) override {
        paints_.n = 0;
        widget(w, id)->installEventFilter(&paints_);
    }
    bool painted(ui::Window&, int) override { return paints_.n > 0; }
    bool owns(const ui::Window& owner, const ui::Window& child) override {
        return ui::windowWidget(child)->parentWidget() == ui::windowWidget(owner);
    }
    // Qt blocks a window-modal dialog's parent window, an application-modal
    // one every other window.
    bool blocked(const ui::Window& owner) override {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == ui::windowWidget(owner)) return false;
        return modal->windowModality() == Qt::ApplicationModal ||
               (modal->windowModality() == Qt::WindowModal && modal->parentWidget() &&
                modal->parentWidget()->window() == ui::windowWidget(owner));
    }

  private:
    ui::QtHost host_;
    PaintCounter paints_;
};

}  // namespace

std::unique_ptr<HostDriver> makeHostDriver() {
    return std::make_unique<QtDriver>();
}

}  // namespace zttest
