// Modal loops, timers, painting during blocking work, text from a worker
// thread, and the message box and file dialogs of the Win32 host.

#include <atomic>
#include <cstdio>
#include <map>
#include <string>
#include <thread>

#include "win32_fixture.h"

namespace zttest {
namespace {

// Calls fn on the thread's message loop every few milliseconds until it
// returns true; gives up after 10 s so that no test hangs.
struct Poller {
    std::function<bool()> fn;
    DWORD start;
};
std::map<UINT_PTR, std::shared_ptr<Poller>> pollers;

void poll(std::function<bool()> fn) {
    const UINT_PTR id = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR timer, DWORD) {
        auto it = pollers.find(timer);
        if (it == pollers.end()) return;
        std::shared_ptr<Poller> p = it->second;  // fn may start another poller
        const bool done = p->fn();
        if (!done && GetTickCount() - p->start < 10000) return;
        KillTimer(nullptr, timer);
        pollers.erase(timer);
        if (!done) ADD_FAILURE() << "gave up waiting";
    });
    pollers[id] = std::make_shared<Poller>(Poller{std::move(fn), GetTickCount()});
}

// The top-level window of this thread with this caption that is not one of
// the host's dialogs (a message box, a file dialog).
HWND systemDialog(const char* caption) {
    struct Find {
        const char* caption;
        HWND found;
    } find{caption, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND h, LPARAM lp) {
            auto* f = reinterpret_cast<Find*>(lp);
            if (IsWindowVisible(h) && !ui::windowOf(h) && textOf(h) == f->caption) f->found = h;
            return f->found ? FALSE : TRUE;
        },
        reinterpret_cast<LPARAM>(&find));
    return find.found;
}

using Win32Modal = Win32HostTest;

// The child's loop runs over its disabled owner, whose timer keeps ticking;
// a click in the child ends it with the procedure's result.
TEST_F(Win32Modal, AChildLoopDisablesItsOwnerWhileTheOwnerTimerRuns) {
    int ownerTicks = 0, childResult = -1, tickAtChild = -1;
    HWND ownerView = nullptr, childOwner = nullptr;
    bool ownerEnabledDuringChild = true;
    ui::Window* child = nullptr;
    auto childProc = [&](ui::Window& w, const ui::Message& m) {
        if (m.msg == ui::Msg::Init) {
            child = &w;
            childOwner = GetWindow(ui::windowHandle(w), GW_OWNER);
            tickAtChild = ownerTicks;
        }
        if (m.msg == ui::Msg::Command && m.id == 1) ui::endDialog(w, 9);
        return 1;
    };
    auto ownerProc = [&](ui::Window& w, const ui::Message& m) {
        if (m.msg == ui::Msg::Init) {
            ownerView = ui::windowHandle(w);
            ui::startTimer(w, 1, 5);
            PostMessageA(ui::controlHandle(w, kGo), BM_CLICK, 0, 0);
        }
        if (m.msg == ui::Msg::Timer) {
            ++ownerTicks;
            if (child && !child->ended && ownerTicks >= tickAtChild + 3) {
                ownerEnabledDuringChild = IsWindowEnabled(ownerView);
                PostMessageA(ui::controlHandle(*child, 1), BM_CLICK, 0, 0);
            }
        }
        if (m.msg == ui::Msg::Command && m.id == kGo) {
            childResult = ui::runModal(kChild, &w, childProc);
            ui::endDialog(w, childResult);
        }
        return 1;
    };
    EXPECT_EQ(ui::runModal(kTest, nullptr, ownerProc), 9);
    EXPECT_EQ(childResult, 9);
    EXPECT_EQ(childOwner, ownerView);
    EXPECT_FALSE(ownerEnabledDuringChild);
    EXPECT_GE(ownerTicks, tickAtChild + 3);
}

TEST_F(Win32Modal, RepaintPaintsButDeliversNoTicks) {
    ui::Window& w = open(kTest);
    ui::startTimer(w, 3, 1);
    Sleep(20);                      // due
    ui::setText(w, kDigits, "42");  // an edit paints later, as its text changes
    HWND digits = item(w, kDigits);
    EXPECT_TRUE(GetUpdateRect(digits, nullptr, FALSE));
    ui::repaint(w);
    EXPECT_FALSE(GetUpdateRect(digits, nullptr, FALSE));
    EXPECT_TRUE(messages.empty());
    pump();  // an ordinary loop delivers the tick
    ui::stopTimer(w, 3);
    EXPECT_FALSE(messages.empty());
}

TEST_F(Win32Modal, AppendTextSyncFromAWorkerWhileTheLoopRuns) {
    std::string expected, modelText, shown;
    for (int i = 0; i < 200; ++i) expected += "LINE " + std::to_string(i) + "\r\n";
    std::thread worker;
    std::atomic<bool> done{false};
    ui::runModal(kTest, nullptr, [&](ui::Window& w, const ui::Message& m) {
        if (m.msg != ui::Msg::Init) return 0;
        ui::setTextLimit(w, kText, 65535);
        worker = std::thread([&w, &done] {
            for (int i = 0; i < 200; ++i)
                ui::appendTextSync(w, kText, "LINE " + std::to_string(i) + "\r\n");
            done = true;
        });
        poll([&] {
            if (!done) return false;
            modelText = ui::getText(w, kText);
            char buffer[8192] = {};
            GetWindowTextA(ui::controlHandle(w, kText), buffer, sizeof buffer);
            shown = buffer;
            ui::endDialog(w, 1);
            return true;
        });
        return 1;
    });
    worker.join();
    EXPECT_EQ(modelText, expected);
    EXPECT_EQ(shown, expected);
}

using Win32Dialogs = Win32HostTest;

TEST_F(Win32Dialogs, AMessageBoxShowsCaptionTextIconAndOnlyOk) {
    std::string text;
    bool icon = false, cancel = true;
    poll([&] {
        HWND box = systemDialog("Error");
        if (!box) return false;
        text = textOf(GetDlgItem(box, 0xFFFF));  // the message box's text control
        icon = SendDlgItemMessageA(box, 0x0440, STM_GETICON, 0, 0) != 0;
        cancel = GetDlgItem(box, IDCANCEL) != nullptr;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        return true;
    });
    EXPECT_EQ(ui::messageBox(nullptr, "ZT not connected", "Error", ui::Icon::Warning), 1);
    EXPECT_EQ(text, "ZT not connected");
    EXPECT_TRUE(icon);
    EXPECT_FALSE(cancel);
}

// Explorer-style common dialogs: the name field is combo 0x47C, the list of
// filters combo 0x470.
constexpr int kNameField = 0x47C;
constexpr int kFilterList = 0x470;

TEST_F(Win32Dialogs, SavingAddsTheDefaultExtensionAndCancelGivesNothing) {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string folder = std::string(temp) + "zt-save-test";
    CreateDirectoryA(folder.c_str(), nullptr);
    ui::FileDialogRequest r;
    r.save = true;
    r.title = "Save Settings";
    r.filters = {{"Settings Files (*.eep)", "*.eep"}, {"All Documents (*.*)", "*.*"}};
    r.defaultExtension = "eep";
    r.initialPath = folder;
    std::vector<std::string> filters;
    poll([&] {
        HWND d = systemDialog("Save Settings");
        if (!d) return false;
        HWND list = GetDlgItem(d, kFilterList);
        for (int i = 0; i < SendMessageA(list, CB_GETCOUNT, 0, 0); ++i) {
            char entry[128] = {};
            SendMessageA(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry));
            filters.push_back(entry);
        }
        SetDlgItemTextA(d, kNameField, "keyer");
        PostMessageA(d, WM_COMMAND, IDOK, 0);
        return true;
    });
    const std::optional<std::string> chosen = ui::fileDialog(nullptr, r);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(*chosen, folder + "\\keyer.eep");
    EXPECT_EQ(filters, (std::vector<std::string>{"Settings Files (*.eep)", "All Documents (*.*)"}));

    r.save = false;
    poll([&] {
        HWND d = systemDialog("Save Settings");
        if (d) PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
        return d != nullptr;
    });
    EXPECT_EQ(ui::fileDialog(nullptr, r), std::nullopt);
    RemoveDirectoryA(folder.c_str());
}

TEST_F(Win32Dialogs, AnOpenDialogPresetsItsFilterAndNameAndRefusesMissingFilesWhenAsked) {
    ui::FileDialogRequest r;
    r.title = "Open Image";
    r.filters = {{"All files", "*.*"}, {"Bin Files", "*.bin"}};
    r.initialFilter = 1;
    r.initialPath = "*.bin";
    r.mustExist = true;
    int selected = -1;
    std::string name;
    bool refused = false;
    poll([&] {
        HWND d = systemDialog("Open Image");
        if (!d) return false;
        selected = static_cast<int>(SendDlgItemMessageA(d, kFilterList, CB_GETCURSEL, 0, 0));
        name = textOf(GetDlgItem(d, kNameField));
        SetDlgItemTextA(d, kNameField, "C:\\no-such-folder\\missing.bin");
        PostMessageA(d, WM_COMMAND, IDOK, 0);
        // A missing file is refused with a message box over the dialog, which
        // stays open; then cancel both.
        poll([&, d] {
            HWND warning = nullptr;
            EnumThreadWindows(
                GetCurrentThreadId(),
                [](HWND h, LPARAM lp) {
                    if (IsWindowVisible(h) &&
                        GetWindow(h, GW_OWNER) == *reinterpret_cast<HWND*>(lp))
                        *reinterpret_cast<HWND*>(lp) = h;
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&(warning = d)));
            if (warning == d) return false;
            refused = IsWindowVisible(d);
            PostMessageA(warning, WM_COMMAND, IDOK, 0);
            PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
            return true;
        });
        return true;
    });
    EXPECT_EQ(ui::fileDialog(nullptr, r), std::nullopt);
    EXPECT_EQ(selected, 1);
    EXPECT_EQ(name, "*.bin");  // the name field starts with the pattern
    EXPECT_TRUE(refused);
}

}  // namespace
}  // namespace zttest
