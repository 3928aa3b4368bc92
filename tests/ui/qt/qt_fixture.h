#pragma once
// Shared by the Qt host tests: the host installed, windows that record their
// messages, and real Qt input events sent to widgets.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <functional>
#include <memory>

#include "ui/hosts/host_test.h"
#include "ui/qt/qt_host.h"

namespace zttest {

using QtHostTest = HostTest;

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

// Runs the event loop until ready() holds, at most 10 s; whether it did.
inline bool waitFor(const std::function<bool()>& ready) {
    QElapsedTimer clock;
    clock.start();
    while (!ready() && clock.elapsed() < 10000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return ready();
}

// Makes a shown window the active one, as the operator's click would; false
// when the platform did not.
inline bool activate(QWidget* window) {
    window->activateWindow();
    return waitFor([window] { return QApplication::activeWindow() == window; });
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
