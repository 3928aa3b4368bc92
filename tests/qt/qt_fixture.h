#pragma once
// Shared by the Qt host tests: the host installed, windows that record their
// messages, and real Qt input events sent to widgets.

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <functional>
#include <iterator>
#include <memory>
#include <vector>

#include "platform/qt/qt_host.h"

namespace ui {
inline bool operator==(const Message& a, const Message& b) {
    return a.msg == b.msg && a.id == b.id && a.code == b.code;
}
}  // namespace ui

namespace zttest {

// One window with a control of every kind; no control has id 1 or 2.
enum { kGo = 10, kAuto, kManual, kRadio, kList, kUpper, kDigits, kText, kLabel, kBar, kWrap };
namespace st = ui::style;
constexpr ui::ControlTemplate kControls[] = {
    {kGo, ui::Kind::PushButton, "Go", 4, 4, 40, 14, 0},
    {kAuto, ui::Kind::CheckBox, "Auto", 4, 22, 60, 10, st::AutoCheck},
    {kManual, ui::Kind::CheckBox, "Manual", 4, 34, 60, 10, 0},
    {kRadio, ui::Kind::RadioButton, "Radio", 4, 46, 60, 10, 0},
    {kList, ui::Kind::ComboBox, "", 70, 4, 60, 60, st::VScroll},
    {kUpper, ui::Kind::Edit, "start", 70, 22, 60, 12, st::UpperCase | st::Border},
    {kDigits, ui::Kind::Edit, "", 70, 36, 60, 12, st::Number | st::Border},
    {kText, ui::Kind::Edit, "", 4, 60, 120, 30, st::Multiline | st::UpperCase | st::AutoVScroll},
    {kLabel, ui::Kind::Static, "Label", 70, 50, 60, 8, st::Hidden | st::Disabled},
    {kBar, ui::Kind::Progress, "", 4, 94, 120, 8, 0},
    {kWrap, ui::Kind::PushButton, "Reset to Defaults", 70, 104, 52, 20, st::Multiline},
};
constexpr ui::DialogTemplate kTest = {901,       "Test",
                                      nullptr,   0,
                                      0,         140,
                                      130,       "Tahoma",
                                      8,         ui::dstyle::SysMenu,
                                      kControls, std::size(kControls)};
constexpr ui::ControlTemplate kChildControls[] = {
    {1, ui::Kind::PushButton, "OK", 4, 4, 40, 14, 0},
    {2, ui::Kind::PushButton, "Cancel", 48, 4, 40, 14, 0},
};
constexpr ui::DialogTemplate kChild = {902,
                                       "Child",
                                       nullptr,
                                       0,
                                       0,
                                       100,
                                       30,
                                       "Tahoma",
                                       8,
                                       0,
                                       kChildControls,
                                       std::size(kChildControls)};

inline ui::Message command(int id, int code = 0) {
    return {ui::Msg::Command, id, code};
}

class QtHostTest : public ::testing::Test {
  protected:
    QtHostTest() : previous_(ui::currentHost()) { ui::setHost(&host); }
    ~QtHostTest() override {
        for (auto& w : windows_) ui::closeWindow(*w);
        ui::setHost(previous_);
    }

    // A shown window without a loop; messages but Init are recorded and
    // answered by onMessage (handled when it is not set).
    ui::Window& open(const ui::DialogTemplate& t) {
        windows_.push_back(ui::openWindow(t, nullptr, [this](ui::Window& w, const ui::Message& m) {
            if (m.msg == ui::Msg::Init) return 0;
            messages.push_back(m);
            return onMessage ? onMessage(w, m) : 1;
        }));
        ui::windowWidget(*windows_.back())->show();
        return *windows_.back();
    }

    ui::QtHost host;
    std::vector<ui::Message> messages;
    std::function<int(ui::Window&, const ui::Message&)> onMessage;

  private:
    ui::Host* previous_;
    std::vector<std::unique_ptr<ui::Window>> windows_;
};

template <class T = QWidget>
T* widgetOf(const ui::Window& w, int id) {
    return dynamic_cast<T*>(ui::controlWidget(w, id));
}

inline void key(QWidget* to, int k, Qt::KeyboardModifiers mods = Qt::NoModifier,
                const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, k, mods, text);
    QApplication::sendEvent(to, &press);
    QKeyEvent release(QEvent::KeyRelease, k, mods, text);
    QApplication::sendEvent(to, &release);
}

inline void type(QWidget* to, const QString& s) {
    for (QChar c : s) key(to, c.toUpper().unicode(), Qt::NoModifier, QString(c));
}

// A left click; check boxes and radio buttons are clicked on their indicator.
inline void mouseClick(QWidget* w) {
    const bool indicator = qobject_cast<QAbstractButton*>(w) && !w->inherits("QPushButton");
    const QPointF at = indicator ? QPointF(6, w->height() / 2) : QPointF(w->rect().center());
    for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent e(type, at, w->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                      Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
}

// From inside a running loop: then() once ready() holds; after 10 s a
// failure and giveUp() instead, so that no test hangs.
inline void when(std::function<bool()> ready, std::function<void()> then,
                 std::function<void()> giveUp) {
    auto* timer = new QTimer;
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(timer, &QTimer::timeout, [=] {
        const bool ok = ready();
        if (!ok && clock->elapsed() < 10000) return;
        timer->deleteLater();
        timer->stop();
        if (!ok) ADD_FAILURE() << "gave up waiting";
        ok ? then() : giveUp();
    });
    timer->start(5);
}

// fn on the first modal dialog of type T that comes up.
template <class T>
void whenModal(std::function<void(T*)> fn) {
    when([] { return qobject_cast<T*>(QApplication::activeModalWidget()) != nullptr; },
         [fn] { fn(qobject_cast<T*>(QApplication::activeModalWidget())); },
         [] {
             if (QWidget* m = QApplication::activeModalWidget()) m->close();
         });
}

}  // namespace zttest
