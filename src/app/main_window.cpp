#include "app/main_window.h"

#include <string>
#include <thread>

#include "app/about.h"
#include "app/commands.h"
#include "app/status.h"
#include "common/app_state.h"
#include "link/port.h"
#include "resources/ids.h"

namespace zt {

ui::Window* mainWindow = nullptr;
User editedUser = User::One;
Bank shownBank = Bank::One;

const int kMessageEdits[14] = {4001,
                               4002,
                               4003,
                               4004,
                               4005,
                               4006,
                               4080,
                               4081,
                               4082,
                               4083,
                               4084,
                               4085,
                               ids::kCallUser1,
                               ids::kCallUser2};

namespace {

void Exit(ui::Window& w, int) {
    LockButtons(w);
    if (appState.portOpen) ClosePort();
    ui::endDialog(w, 0);
}

void About(ui::Window& w, int) {
    RunAboutBox(w);
}

std::thread::id windowThread;

// Keyer waits block the window's thread; let it repaint meanwhile. The upload
// worker waits on the port too, and must not touch the window.
void RepaintDuringWait() {
    if (mainWindow && std::this_thread::get_id() == windowThread) ui::repaint(*mainWindow);
}

struct Route {
    int id;
    void (*run)(ui::Window&, int code);
};

// Control id -> command. Controls not listed here go to the dialog manager.
const Route kRoutes[] = {
    {ids::kExit, Exit},
    {ids::kAbout, About},
    {ids::kTestZt, TestZtCommand},
    {ids::kSetComPort, SetComPortCommand},
};

int Dispatch(ui::Window& w, int id, int code) {
    for (const Route& r : kRoutes) {
        if (r.id != id) continue;
        r.run(w, code);
        return 1;
    }
    return 0;
}

void FillList(ui::Window& w, int id, std::initializer_list<const char*> items) {
    for (const char* item : items) ui::comboAdd(w, id, item);
}

void Initialise(ui::Window& w) {
    mainWindow = &w;
    ui::check(w, ids::kBank1, true);
    shownBank = Bank::One;
    ui::check(w, ids::kUser1, true);
    editedUser = User::One;
    ShowMessageBank(Bank::One);
    ui::setText(w, ids::kPortLabel, "com:" + std::to_string(comPortNumber));
    DisableKeyerButtons(w);
    ui::setText(w, ids::kMessageLine, "Set Com Port then Click TestZT to get started");
    for (int id : kMessageEdits) ui::setCharFilter(w, id, MessageKeyFilter);
    ui::startTimer(w, kStatusTimer, kStatusTimerMs);
    windowThread = std::this_thread::get_id();
    SetPortWaitHook(RepaintDuringWait);
    FillList(w, ids::kKeyerMode,
             {"Iambic A", "Iambic B", "Ultimatic", "UltimDit", "UltimDah", "VibroBug"});
    FillList(w, ids::kPaddleHang, {"1.0 Word", "1.3 Word", "1.6 Word", "2.0 Word"});
    ui::comboReset(w, ids::kOutputSelection);
    FillList(w, ids::kOutputSelection,
             {"Port1", "Port1, ST", "Port1, PTT", "Port1, ST, PTT", "Port2", "Port2, ST",
              "Port2, PTT", "Port2, ST, PTT"});
}

void SetAll(ui::Window& w, std::initializer_list<int> idList, bool on) {
    for (int id : idList) ui::enable(w, id, on);
}

}  // namespace

int MainWindowProc(ui::Window& w, const ui::Message& m) {
    switch (m.msg) {
        case ui::Msg::Init:
            Initialise(w);
            return 1;
        case ui::Msg::Command:
            return Dispatch(w, m.id, m.code);
        case ui::Msg::Timer:
            StatusTick(w);
            return 1;
        case ui::Msg::Close:
            ui::endDialog(w, 0);
            return 1;
        case ui::Msg::Size:
            return 1;
    }
    return 0;
}

void ShowMessageBank(Bank bank) {
    bool one = bank == Bank::One;
    for (int k = 0; k < 6; ++k) {
        ui::show(*mainWindow, ids::kMsg1 + k, one);
        ui::show(*mainWindow, ids::kMsgLabel1 + k, one);
        ui::show(*mainWindow, ids::kMsg7 + k, !one);
        ui::show(*mainWindow, ids::kMsgLabel7 + k, !one);
    }
}

void DisableKeyerButtons(ui::Window& w) {
    SetAll(w,
           {ids::kWriteZt, ids::kReadZt, ids::kFwUpdate, ids::kReadConfigFile,
            ids::kWriteConfigFile, ids::kRtty},
           false);
}

void LockButtons(ui::Window& w) {
    SetAll(w,
           {ids::kTestZt, ids::kWriteZt, ids::kReadZt, ids::kBank1, ids::kBank2, ids::kUser1,
            ids::kUser2, ids::kSetComPort, ids::kFwUpdate, ids::kRtty},
           false);
    // The settings files need no keyer, so every operation opens them up.
    SetAll(w, {ids::kReadConfigFile, ids::kWriteConfigFile}, true);
}

void RefreshButtons(ui::Window& w) {
    SetAll(w, {ids::kTestZt, ids::kSetComPort, ids::kBank1, ids::kBank2, ids::kUser1, ids::kUser2},
           true);
    if (firmwareMajor >= 30 || appState.chipVariant == kVariantBootLoaderOnly)
        ui::enable(w, ids::kFwUpdate, true);
    if (firmwareMajor >= 31)
        SetAll(
            w,
            {ids::kWriteZt, ids::kReadZt, ids::kReadConfigFile, ids::kWriteConfigFile, ids::kRtty},
            true);
}

bool MessageKeyFilter(ui::Window& w, int, int ch) {
    // The message store is full at 241 characters; backspace must still work.
    // Counts above 241 (only reachable by pasting) are as full as 241.
    if (ch != 8 && CountMessageText(w) >= 241) return false;
    switch (ch) {
        case '#':
        case '%':
        case '&':
        case '^':
        case '_':
        case '`':
        case '{':
        case '}':
        case '~':
        case 127:
            return false;  // no Morse pattern for these
        default:
            return true;
    }
}

}  // namespace zt
