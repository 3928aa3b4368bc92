#pragma once
// Shared by the Win32 host tests: the host installed, windows that record
// the messages a procedure acts on, and real input (SendInput) delivered
// through a message loop that lets the dialog manager see it, as DialogBox's
// own loop does. The checks are those of the Qt host's tests: here Windows
// itself must show the behaviours that the other hosts reproduce.

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/hosts/host_test.h"
#include "ui/win32/win32_host.h"
// After windows.h, which it needs.
#include <commctrl.h>

namespace zttest {

// Runs everything queued for this thread, dialog keys through the dialog
// manager of the window they are for.
inline void pump() {
    MSG msg;
    for (int round = 0; round < 3; ++round) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            HWND top = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
            if (top && ui::windowOf(top) && IsDialogMessageA(top, &msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(5);  // input injected by SendInput may reach the queue a moment later
    }
}

inline void sendInputs(std::vector<INPUT> inputs) {
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    pump();
}

inline INPUT keyInput(WORD vk, bool up, WCHAR unicode = 0) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = unicode ? 0 : vk;
    in.ki.wScan = unicode;
    in.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (unicode ? KEYEVENTF_UNICODE : 0);
    return in;
}

// Gives the keyboard to a control of a shown dialog, unless it has it: as
// Tab does, which selects an edit's whole text.
inline void focus(HWND control) {
    HWND top = GetAncestor(control, GA_ROOT);
    if (GetFocus() == control && GetForegroundWindow() == top) return;
    SetForegroundWindow(top);
    SetActiveWindow(top);
    // As Tab moves it: a push button with the focus becomes the default.
    SendMessageA(top, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    pump();
}

inline void key(HWND to, WORD vk, bool ctrl = false) {
    focus(to);
    std::vector<INPUT> in;
    if (ctrl) in.push_back(keyInput(VK_CONTROL, false));
    in.push_back(keyInput(vk, false));
    in.push_back(keyInput(vk, true));
    if (ctrl) in.push_back(keyInput(VK_CONTROL, true));
    sendInputs(in);
}

// Characters as typed: each arrives as WM_CHAR through TranslateMessage.
inline void type(HWND to, const std::string& s) {
    focus(to);
    for (char c : s)
        sendInputs({keyInput(0, false, static_cast<unsigned char>(c)),
                    keyInput(0, true, static_cast<unsigned char>(c))});
}

inline bool ofClass(HWND h, const char* name) {
    char cls[64] = {};
    GetClassNameA(h, cls, sizeof cls);
    return lstrcmpiA(cls, name) == 0;
}

// A left click in the middle of a window (for a check box or radio button,
// on its box), as the mouse gives it.
inline void click(HWND at) {
    RECT r;
    GetWindowRect(at, &r);
    const bool box =
        ofClass(at, "Button") && (GetWindowLongA(at, GWL_STYLE) & BS_TYPEMASK) != BS_PUSHBUTTON;
    const int x = box ? r.left + 6 : (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
    SetForegroundWindow(GetAncestor(at, GA_ROOT));
    SetCursorPos(x, y);
    INPUT in[2]{};
    for (int i = 0; i < 2; ++i) {
        in[i].type = INPUT_MOUSE;
        in[i].mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
        in[i].mi.dy = y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
        in[i].mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE |
                           (i ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_LEFTDOWN);
    }
    sendInputs({in[0], in[1]});
}

// Calls fn on the thread's message loop every few milliseconds until it
// returns true; gives up after 10 s (then giveUp) so that no test hangs.
struct Poller {
    std::function<bool()> fn;
    std::function<void()> giveUp;
    DWORD start;
};
inline std::map<UINT_PTR, std::shared_ptr<Poller>> pollers;

inline void poll(std::function<bool()> fn, std::function<void()> giveUp = {}) {
    const UINT_PTR id = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR timer, DWORD) {
        auto it = pollers.find(timer);
        if (it == pollers.end()) return;
        std::shared_ptr<Poller> p = it->second;  // fn may start another poller
        const bool done = p->fn();
        if (!done && GetTickCount() - p->start < 10000) return;
        KillTimer(nullptr, timer);
        pollers.erase(timer);
        if (!done) ADD_FAILURE() << "gave up waiting";
        if (!done && p->giveUp) p->giveUp();
    });
    pollers[id] =
        std::make_shared<Poller>(Poller{std::move(fn), std::move(giveUp), GetTickCount()});
}

inline std::string textOf(HWND h) {
    std::string text(GetWindowTextLengthA(h), '\0');
    GetWindowTextA(h, text.data(), static_cast<int>(text.size() + 1));
    return text;
}

class Win32HostTest : public HostTest {
  protected:
    ui::Win32Host& host =
        static_cast<ui::Win32Host&>(driver->host());  // the one the driver installed
};

inline HWND item(const ui::Window& w, int id) {
    return ui::controlHandle(w, id);
}

}  // namespace zttest
