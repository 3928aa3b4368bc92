#pragma once
// What differs between the real hosts when a test acts as the user or reads
// what the user sees, implemented once per host (qt/qt_driver.cpp,
// win32/win32_driver.cpp) for the cases both must pass (host_cases.cpp).

#include <functional>
#include <memory>
#include <string>

#include "ui/ui.h"

namespace zttest {

// The drivers map them in this order; those with Ctrl come last.
enum class Key { Enter, Escape, Down, Backspace, CtrlEnter, CtrlV };

// What a control shows on screen, read from the host's own widget.
struct Shown {
    std::string text;  // line breaks as CR LF; a combo box's text part; id 0: the title
    bool visible = false, enabled = false, checked = false;
    int value = 0;  // a progress bar's position, a combo box's current entry
    int count = 0;  // a combo box's entries
};

class HostDriver {
  public:
    virtual ~HostDriver() = default;
    virtual ui::Host& host() = 0;
    // Shows the index-th window a test opened; which messages a test compares.
    virtual void show(ui::Window& w, int index) = 0;
    virtual bool counts(const ui::Window&, const ui::Message&) { return true; }

    // Real input to a control, as the user gives it.
    virtual void key(ui::Window& w, int id, Key k) = 0;
    virtual void type(ui::Window& w, int id, const std::string& s) = 0;
    virtual void click(ui::Window& w, int id) = 0;
    virtual void closeBox(ui::Window& w) = 0;
    virtual void setClipboard(const std::string& s) = 0;
    virtual void paste(ui::Window& w, int id) = 0;

    // The event loop: what is queued runs; from inside a running loop,
    // then() once ready() holds, or a failure and giveUp() after 10 s.
    virtual void pump() = 0;
    virtual void when(std::function<bool()> ready, std::function<void()> then,
                      std::function<void()> giveUp) = 0;
    // A button's click from inside a running loop.
    virtual void press(ui::Window& w, int id) { click(w, id); }

    virtual Shown shown(const ui::Window& w, int id) = 0;
    // Whether a control has painted its changes (none waits to be painted);
    // watchPaint starts watching it.
    virtual void watchPaint(ui::Window& w, int id) = 0;
    virtual bool painted(ui::Window& w, int id) = 0;
    // Whether child's window is owned by owner's, which takes no input.
    virtual bool blocks(const ui::Window& owner, const ui::Window& child) = 0;
};

// The driver of the host this test program is built for.
std::unique_ptr<HostDriver> makeHostDriver();

}  // namespace zttest
