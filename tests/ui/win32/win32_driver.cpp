// The Win32 host as the shared host cases drive it: real input (SendInput)
// through a loop that lets the dialog manager see it, and what the controls
// show.

#include "win32_fixture.h"

namespace zttest {
namespace {

HWND handle(const ui::Window& w, int id) {
    return id ? item(w, id) : ui::windowHandle(w);
}

bool ofClass(HWND h, const char* name) {
    char cls[64] = {};
    GetClassNameA(h, cls, sizeof cls);
    return lstrcmpiA(cls, name) == 0;
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
    bool counts(const ui::Window& w, const ui::Message& m) override { return actedOn(w, m); }

    void key(ui::Window& w, int id, Key k) override {
        HWND to = handle(w, id);
        switch (k) {
            case Key::Enter:
                return zttest::key(to, VK_RETURN);
            case Key::Escape:
                return zttest::key(to, VK_ESCAPE);
            case Key::Down:
                return zttest::key(to, VK_DOWN);
            case Key::Backspace:
                return zttest::key(to, VK_BACK);
            case Key::CtrlEnter:
                return zttest::key(to, VK_RETURN, true);
            case Key::CtrlV:
                return zttest::key(to, 'V', true);
        }
    }
    void type(ui::Window& w, int id, const std::string& s) override {
        zttest::type(handle(w, id), s);
    }
    void click(ui::Window& w, int id) override { zttest::click(handle(w, id)); }
    void closeBox(ui::Window& w) override {
        SendMessageA(ui::windowHandle(w), WM_SYSCOMMAND, SC_CLOSE, 0);
        zttest::pump();
    }
    void setClipboard(const std::string& s) override { zttest::setClipboard(s); }
    void paste(ui::Window& w, int id) override {
        SendMessageA(handle(w, id), WM_PASTE, 0, 0);
        zttest::pump();
    }
    void selectAll(ui::Window& w, int id) override {
        SendMessageA(handle(w, id), EM_SETSEL, 0, -1);
    }

    void pump() override { zttest::pump(); }
    void when(std::function<bool()> ready, std::function<void()> then,
              std::function<void()> giveUp) override {
        const DWORD start = GetTickCount();
        poll([=] {
            const bool ok = ready();
            if (!ok && GetTickCount() - start < 10000) return false;
            if (!ok) ADD_FAILURE() << "gave up waiting";
            ok ? then() : giveUp();
            return true;  // so that poll itself reports no second failure
        });
    }
    void press(ui::Window& w, int id) override { PostMessageA(handle(w, id), BM_CLICK, 0, 0); }

    Shown shown(const ui::Window& w, int id) override {
        HWND h = handle(w, id);
        Shown s{std::string(GetWindowTextLengthA(h), '\0'), IsWindowVisible(h) != FALSE,
                IsWindowEnabled(h) != FALSE};
        GetWindowTextA(h, s.text.data(), static_cast<int>(s.text.size() + 1));
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
    bool owns(const ui::Window& owner, const ui::Window& child) override {
        return GetWindow(ui::windowHandle(child), GW_OWNER) == ui::windowHandle(owner);
    }
    bool blocked(const ui::Window& owner) override {
        return !IsWindowEnabled(ui::windowHandle(owner));
    }

  private:
    ui::Win32Host host_;
};

}  // namespace

std::unique_ptr<HostDriver> makeHostDriver() {
    return std::make_unique<Win32Driver>();
}

}  // namespace zttest
