#pragma once
// The Qt view of one window: its widgets by control id, the mirror of the
// model into them, and user input turned into the ui:: input functions.
// Internal to the Qt host.

#include <QDialog>
#include <QGroupBox>
#include <map>
#include <string>

#include "ui/qt/qt_host.h"
#include "ui/ui.h"

class QEventLoop;
class QInputMethodEvent;
class QKeyEvent;
class QScrollArea;
class QTimer;

namespace ui::qtview {

// A group box as Windows draws it: the caption's line starts at the top of the
// rectangle, and the etched frame's top edge runs through the caption's middle,
// broken behind the caption a little in from the left edge. It only paints; the
// controls it frames are the dialog's, stacked above it.
class GroupFrame : public QGroupBox {
  public:
    using QGroupBox::QGroupBox;
    // The caption's cell with the gap it leaves in the frame's top edge.
    QRect captionRect() const;
    // The frame's top edge (its shadow line; the highlight runs one pixel below).
    int frameTop() const;

  protected:
    void paintEvent(QPaintEvent* e) override;
};

class DialogView : public QDialog {
  public:
    DialogView(Window& w, QWidget* parent);
    ~DialogView() override;

    Window& window() const { return w_; }
    QWidget* widget(int id) const;
    // The client area, where the controls lie as the template places them; it
    // scrolls inside the window when the window cannot show it whole.
    QWidget* content() const { return content_; }
    QScrollArea* scrollArea() const { return scroll_; }
    // Where control id lies in the client area.
    QRect place(int id) const;

    void mirror(int id);                            // model -> widget of one control
    void mirrorTimer(int timerId);                  // start, restart or stop its QTimer
    void appendText(int id, const std::string& s);  // model and widget, GUI thread only
    void runLoop();                                 // until the window has ended
    void endLoop();
    int focused() const;  // the control with the window's focus, 0 for none
    void focus(int id, bool selectText);
    // Shows the notice anew with the window's last result (ui::announce); in
    // a window that is not active, once it is, after its focus has come back.
    void announce();
    // Makes this window active again after a window it owned has gone, with
    // the focus on the control that had it.
    void comeBack(QWidget* hadFocus);

    void setVisible(bool visible) override;

    // While a blocking operation lets the window repaint (ui::repaint), the
    // thread counts as busy, as on Windows: timer ticks are dropped and close
    // requests wait.
    struct Busy {
        Busy() { ++depth; }
        ~Busy() { --depth; }
        Busy(const Busy&) = delete;
        Busy& operator=(const Busy&) = delete;
        static inline int depth = 0;
    };

  protected:
    bool eventFilter(QObject* obj, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void changeEvent(QEvent* e) override;
    // The model ends dialogs; QDialog must never end itself.
    void done(int) override {}
    void accept() override {}
    void reject() override {}

  private:
    void createContent(const DialogTemplate& t);
    QWidget* statusArea(const DialogTemplate& t);
    void fitToScreen();
    void createControl(const ControlTemplate& t);
    void showNotice();
    void nameControl(QWidget* wd, const Control& c);
    void followLabel(int id);
    void watch(QObject* part, int id);
    bool dialogKey(QKeyEvent* e, int id);
    bool typedKey(QKeyEvent* e, int id);
    bool composedText(QInputMethodEvent* e, int id);
    bool insertTyped(int id, const QString& s);
    void edited(int id);

    Window& w_;
    std::map<int, QWidget*> widgets_;
    std::map<const QObject*, int> ids_;  // widgets and their inner parts -> control id
    std::map<int, QTimer*> timers_;
    QEventLoop* loop_ = nullptr;
    int mirroring_ = 0;  // > 0 while the model writes into widgets
    BaseUnits units_;
    QScrollArea* scroll_ = nullptr;
    QWidget* content_ = nullptr;
    QWidget* statusArea_ = nullptr;  // holds the status bar fields; made with the first
    QWidget* notice_ = nullptr;      // tells results; made with the first
    bool announcing_ = false;        // a result waits for the window to become active
    bool limited_ = false;           // smaller than its client area, until fitted with its frame
};

inline DialogView* viewOf(const Window& w) {
    return static_cast<DialogView*>(w.view);
}

}  // namespace ui::qtview
