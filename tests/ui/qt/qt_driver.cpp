// The Qt host as the shared host cases drive it: Qt input events sent to the
// widgets, and what the widgets show.

#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
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
        static const struct {
            Qt::Key key;
            const char* text;
        } keys[] = {{Qt::Key_Return, ""},      {Qt::Key_Escape, ""},   {Qt::Key_Down, ""},
                    {Qt::Key_Backspace, "\b"}, {Qt::Key_Return, "\n"}, {Qt::Key_V, "\x16"}};
        const auto [key, text] = keys[static_cast<int>(k)];
        zttest::key(widget(w, id), key, k >= Key::CtrlEnter ? Qt::ControlModifier : Qt::NoModifier,
                    QString::fromLatin1(text));
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

    // Each widget class names its text and its value as a property of its own.
    Shown shown(const ui::Window& w, int id) override {
        QWidget* wd = widget(w, id);
        const bool combo = wd->inherits("QComboBox");
        const char* text = combo                            ? "currentText"
                           : wd->inherits("QPlainTextEdit") ? "plainText"
                                                            : "text";
        QString shown = id ? wd->property(text).toString() : wd->windowTitle();
        return {shown.replace(QLatin1Char('\n'), QStringLiteral("\r\n")).toStdString(),
                wd->isVisible(),
                wd->isEnabled(),
                wd->property("checked").toBool(),
                wd->property(combo ? "currentIndex" : "value").toInt(),
                wd->property("count").toInt()};
    }
    void watchPaint(ui::Window& w, int id) override {
        paints_.n = 0;
        widget(w, id)->installEventFilter(&paints_);
    }
    bool painted(ui::Window&, int) override { return paints_.n > 0; }
    bool blocks(const ui::Window& owner, const ui::Window& child) override {
        QWidget* view = ui::windowWidget(child);
        return view->parentWidget() == ui::windowWidget(owner) &&
               QApplication::activeModalWidget() == view && view->windowModality() != Qt::NonModal;
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
