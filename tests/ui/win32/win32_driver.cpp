// The Win32 host as the shared host cases drive it: real input (SendInput)
// through a loop that lets the dialog manager see it, and what the controls
// show.

#include <cstring>

#include "win32_fixture.h"

namespace zttest {
namespace {

HWND handle(const ui::Window& w, int id) {
    return id ? item(w, id) : ui::windowHandle(w);
}

class Win32Driver : public HostDriver {
  public:
    ui::Host& host() override { return host_; }
    // Side by side, each apart from the others.
    void show(ui::Window& w, int index) override {
        HWND h = ui::windowHandle(w);
        EXPECT_TRUE(h);
        SetWindowPos(h, HWND_TOP, 20 + 420 * index, 20, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        zttest::pump();
    }
    // Windows sends notifications that no procedure of the program looks at
    // (an edit's focus and change, a list's drop-down): left out of what a
    // test compares, except a list's selection change.
    bool counts(const ui::Window& w, const ui::Message& m) override {
        auto it = w.controls.find(m.id);
        if (m.msg != ui::Msg::Command || it == w.controls.end()) return true;
        if (it->second.kind == ui::Kind::ComboBox) return m.code == ui::kSelectionChanged;
        return it->second.kind != ui::Kind::Edit;
    }

    void key(ui::Window& w, int id, Key k) override {
        static const WORD keys[] = {VK_RETURN, VK_ESCAPE, VK_DOWN, VK_BACK, VK_RETURN, 'V'};
        zttest::key(handle(w, id), keys[static_cast<int>(k)], k >= Key::CtrlEnter);
    }
    void type(ui::Window& w, int id, const std::string& s) override {
        zttest::type(handle(w, id), s);
    }
    void click(ui::Window& w, int id) override { zttest::click(handle(w, id)); }
    void closeBox(ui::Window& w) override {
        SendMessageA(ui::windowHandle(w), WM_SYSCOMMAND, SC_CLOSE, 0);
        zttest::pump();
    }
    void setClipboard(const std::string& s) override {
        ASSERT_TRUE(OpenClipboard(nullptr));
        EmptyClipboard();
        HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, s.size() + 1);
        std::memcpy(GlobalLock(mem), s.c_str(), s.size() + 1);
        GlobalUnlock(mem);
        SetClipboardData(CF_TEXT, mem);
        CloseClipboard();
    }
    void paste(ui::Window& w, int id) override {
        SendMessageA(handle(w, id), WM_PASTE, 0, 0);
        zttest::pump();
    }

    void pump() override { zttest::pump(); }
    void when(std::function<bool()> ready, std::function<void()> then,
              std::function<void()> giveUp) override {
        poll([=] { return ready() && (then(), true); }, std::move(giveUp));
    }
    void press(ui::Window& w, int id) override {  // a click's input would wait for this loop
        PostMessageA(handle(w, id), BM_CLICK, 0, 0);
    }

    Shown shown(const ui::Window& w, int id) override {
        HWND h = handle(w, id);
        Shown s{textOf(h), IsWindowVisible(h) != FALSE, IsWindowEnabled(h) != FALSE};
        if (ofClass(h, "Button")) {
            s.checked = SendMessageA(h, BM_GETCHECK, 0, 0) == BST_CHECKED;
        } else if (ofClass(h, "ComboBox")) {
            s.value = static_cast<int>(SendMessageA(h, CB_GETCURSEL, 0, 0));
            s.count = static_cast<int>(SendMessageA(h, CB_GETCOUNT, 0, 0));
        } else if (ofClass(h, PROGRESS_CLASSA)) {
            s.value = static_cast<int>(SendMessageA(h, PBM_GETPOS, 0, 0));
        }
        return s;
    }
    void watchPaint(ui::Window&, int) override {}
    bool painted(ui::Window& w, int id) override {
        return !GetUpdateRect(handle(w, id), nullptr, FALSE);
    }
    bool blocks(const ui::Window& owner, const ui::Window& child) override {
        return GetWindow(ui::windowHandle(child), GW_OWNER) == ui::windowHandle(owner) &&
               !IsWindowEnabled(ui::windowHandle(owner));
    }

  private:
    ui::Win32Host host_;
};

}  // namespace

std::unique_ptr<HostDriver> makeHostDriver() {
    return std::make_unique<Win32Driver>();
}

}  // namespace zttest
