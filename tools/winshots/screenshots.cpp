#include "winshots/screenshots.h"

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/session.h"
#include "app/window_state.h"
#include "resources/ids.h"
#include "ui/win32/win32_host.h"

namespace zt {

namespace {

// One step: an action, then a wait until its window is there (or its work is
// done), then a picture of that window. Steps that find nothing to wait for
// within kGiveUpTicks are logged and passed over.
struct Step {
    const char* name;
    std::function<void()> act;
    std::function<HWND()> ready;  // the window to draw once it is up; nullptr: not yet
    bool close = true;            // close that window afterwards (the main window stays)
};

constexpr UINT kTickMs = 100;
constexpr int kGiveUpTicks = 300;  // 30 s: a Test against a silent port takes a few

std::string folder;
std::FILE* logFile = nullptr;
std::vector<Step> steps;
std::size_t current = 0;
int waited = 0;
bool acted = false;
HWND shown = nullptr;  // the window drawn by the current step, until it has gone

void note(const std::string& s) {
    if (!logFile) return;
    std::fprintf(logFile, "%s\n", s.c_str());
    std::fflush(logFile);
}

HWND mainHandle() {
    return CurrentSession().window ? ui::windowHandle(*CurrentSession().window) : nullptr;
}

// Presses a main-window button as a click would, from the message queue, so
// that the dialog it opens runs its loop outside this timer's callback.
void press(int id) {
    HWND b = CurrentSession().window ? ui::controlHandle(*CurrentSession().window, id) : nullptr;
    if (b && IsWindowEnabled(b))
        PostMessageA(b, BM_CLICK, 0, 0);
    else
        note(std::string("button ") + std::to_string(id) + " is not enabled");
}

struct Found {
    int templateId;
    const char* caption;  // for a window that is not ours (a message box)
    HWND hwnd;
};

BOOL CALLBACK findWindow(HWND hwnd, LPARAM lp) {
    auto* f = reinterpret_cast<Found*>(lp);
    if (!IsWindowVisible(hwnd)) return TRUE;
    ui::Window* w = ui::windowOf(hwnd);
    char title[128] = {};
    GetWindowTextA(hwnd, title, sizeof title);
    const bool match = f->caption ? (!w && std::string(title) == f->caption)
                                  : (w && w->tmpl && w->tmpl->id == f->templateId && !w->ended);
    if (!match) return TRUE;
    f->hwnd = hwnd;
    return FALSE;
}

HWND dialogUp(int templateId) {
    Found f{templateId, nullptr, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), findWindow, reinterpret_cast<LPARAM>(&f));
    return f.hwnd;
}

HWND messageBoxUp(const char* caption) {
    Found f{0, caption, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), findWindow, reinterpret_cast<LPARAM>(&f));
    return f.hwnd;
}

// The main window once a keyer operation has ended and shown its state.
HWND mainAfterOperation() {
    if (!CurrentSession().window || CurrentSession().busy ||
        ui::getText(*CurrentSession().window, ids::kOpState).empty())
        return nullptr;
    return mainHandle();
}

void buildSteps() {
    steps = {
        {"main", [] {}, mainHandle, false},
        {"main-tested", [] { press(ids::kTestZt); }, mainAfterOperation, false},
        {"about", [] { press(ids::kAbout); }, [] { return dialogUp(ids::kAboutDialog); }},
        {"port", [] { press(ids::kSetComPort); }, [] { return dialogUp(ids::kPortDialog); }},
        {"rtty", [] { press(ids::kRtty); }, [] { return dialogUp(ids::kRttyDialog); }},
        {"uploader", [] { press(ids::kFwUpdate); }, [] { return dialogUp(ids::kUploaderDialog); }},
        // The uploader's end runs a Test; wait for it before going on.
        {"main-after-uploader", [] {}, mainAfterOperation, false},
        // Defaults in the editors, then a value out of range, then a user
        // switch: the switch is refused with a message box.
        {"messagebox",
         [] {
             // Reset opens nothing, so it may run inside this callback.
             if (HWND b = ui::controlHandle(*CurrentSession().window, ids::kResetDefaults))
                 SendMessageA(b, BM_CLICK, 0, 0);
             if (HWND e = ui::controlHandle(*CurrentSession().window, ids::kMaxWpm))
                 SetWindowTextA(e, "999");
             press(ids::kUser2);
         },
         [] { return messageBoxUp("Error"); }},
    };
}

void CALLBACK tick(HWND, UINT, UINT_PTR timer, DWORD) {
    // The previous step's window has to be gone before the next step acts.
    if (shown) {
        if (IsWindow(shown) && IsWindowVisible(shown)) return;
        shown = nullptr;
    }
    if (current >= steps.size()) {
        KillTimer(nullptr, timer);
        note("done");
        if (logFile) std::fclose(logFile);
        logFile = nullptr;
        press(ids::kExit);
        return;
    }
    Step& step = steps[current];
    if (!acted) {
        acted = true;
        waited = 0;
        step.act();
        return;
    }
    HWND hwnd = step.ready();
    if (!hwnd) {
        if (++waited < kGiveUpTicks) return;
        note(std::string(step.name) + ": nothing to draw, passed over");
    } else {
        const std::string path = folder + "\\" + step.name + ".bmp";
        note(std::string(step.name) + (ui::saveWindowBitmap(hwnd, path) ? ": " : ": FAILED ") +
             path);
        if (step.close) {
            // A message box takes its OK; our dialogs get the close box.
            if (ui::windowOf(hwnd))
                PostMessageA(hwnd, WM_CLOSE, 0, 0);
            else
                PostMessageA(hwnd, WM_COMMAND, IDOK, 0);
            shown = hwnd;
        }
    }
    ++current;
    acted = false;
}

}  // namespace

void StartScreenshots(const std::string& into) {
    folder = into;
    CreateDirectoryA(folder.c_str(), nullptr);
    logFile = std::fopen((folder + "\\screenshots.log").c_str(), "w");
    buildSteps();
    SetTimer(nullptr, 0, kTickMs, tick);
}

}  // namespace zt
