#include "app/main_window.h"

#include <string>
#include <thread>

#include "app/about.h"
#include "app/keyer_commands.h"
#include "app/message_editor.h"
#include "app/port_command.h"
#include "app/rtty_dialog.h"
#include "app/session.h"
#include "app/setting_controls.h"
#include "app/settings_editor.h"
#include "app/settings_files.h"
#include "app/status.h"
#include "app/uploader.h"
#include "app/window_state.h"
#include "resources/ids.h"
#include "settings/messages.h"

namespace zt {

namespace {

void Exit(ui::Window& w) {
    LockButtons(w);
    keyerPort.Close();
    ui::endDialog(w, 0);
}

// The close box leaves the port to the operating system.
void CloseBox(ui::Window& w) {
    ui::endDialog(w, 0);
}

std::thread::id windowThread;

// Keyer waits block the window's thread; let it repaint meanwhile. The upload
// worker waits on the port too, and must not touch the window.
void RepaintDuringWait() {
    if (mainWindow && std::this_thread::get_id() == windowThread) ui::repaint(*mainWindow);
}

void Initialise(ui::Window& w) {
    mainWindow = &w;
    ui::check(w, ids::kBank1, true);
    shownBank = Bank::One;
    ui::check(w, ids::kUser1, true);
    editedUser = User::One;
    ShowMessageBank(w, Bank::One);
    ui::setText(w, ids::kPortLabel, "com:" + std::to_string(appState.comPortNumber));
    DisableKeyerButtons(w);
    ui::setText(w, ids::kMessageLine, "Set Com Port then Click TestZT to get started");
    for (int id : kMessageEdits) ui::setCharFilter(w, id, MessageKeyFilter);
    ui::startTimer(w, kStatusTimer, kStatusTimerMs);
    windowThread = std::this_thread::get_id();
    keyerPort.SetWaitHook(RepaintDuringWait);
    FillSettingLists(w, kMainControls);
    ShowValueRanges(w);
}

// A file load refreshes the editor whatever came of it, a cancel included.
void ReadConfigFile(ui::Window& w) {
    LoadSettingsFile(w);
    FillSettingsControls(w, editedUser);
    FillMessageEdits(w);
}

void WriteConfigFile(ui::Window& w) {
    if (StoreBeforeWrite(w)) SaveSettingsFile(w);
}

template <User U>
void UserButton(ui::Window& w) {
    SwitchUser(w, U);
}

template <Bank B>
void BankButton(ui::Window& w) {
    SelectBank(w, B);
}

// An operation that disables controls while it runs, so that the platform
// moves the keyboard focus away: afterwards it goes back to the control that
// had it. If that control stays disabled (Read ZT when no keyer answered),
// Test ZT takes it, the one button that is always enabled again.
template <void (*Operation)(ui::Window&)>
void KeepingFocus(ui::Window& w) {
    const ui::FocusMark mark = ui::markFocus(w);
    Operation(w);
    ui::restoreFocus(w, mark, ids::kTestZt);
}

// What each message does; the editor's option boxes and lists go to the
// settings they are bound to, and other controls to the dialog manager.
const ui::Route kRoutes[] = {
    {ui::Msg::Init, 0, Initialise},
    {ui::Msg::Timer, kStatusTimer, StatusTick},
    {ui::Msg::Close, 0, CloseBox},
    {ui::Msg::Command, ids::kExit, Exit},
    {ui::Msg::Command, ids::kAbout, RunAboutBox},
    {ui::Msg::Command, ids::kTestZt, KeepingFocus<TestZtCommand>},
    {ui::Msg::Command, ids::kSetComPort, KeepingFocus<SetComPortCommand>},
    {ui::Msg::Command, ids::kReadZt, KeepingFocus<ReadZtCommand>},
    {ui::Msg::Command, ids::kWriteZt, KeepingFocus<WriteZtCommand>},
    {ui::Msg::Command, ids::kRtty, KeepingFocus<RttyCommand>},
    {ui::Msg::Command, ids::kReadConfigFile, KeepingFocus<ReadConfigFile>},
    {ui::Msg::Command, ids::kWriteConfigFile, KeepingFocus<WriteConfigFile>},
    {ui::Msg::Command, ids::kResetDefaults, KeepingFocus<ResetToDefaults>},
    {ui::Msg::Command, ids::kUser1, KeepingFocus<UserButton<User::One>>},
    {ui::Msg::Command, ids::kUser2, KeepingFocus<UserButton<User::Two>>},
    {ui::Msg::Command, ids::kBank1, BankButton<Bank::One>},
    {ui::Msg::Command, ids::kBank2, BankButton<Bank::Two>},
    {ui::Msg::Command, ids::kFwUpdate, KeepingFocus<FwUpdateCommand>},
};

}  // namespace

int MainWindowProc(ui::Window& w, const ui::Message& m) {
    return ui::dispatch(kRoutes, w, m) || SettingControlCommand(w, m);
}

bool MessageKeyFilter(ui::Window& w, int, int ch) {
    // Backspace and the other control characters are editing keys (Ctrl+C
    // arrives as 3, Ctrl+V as 22): they add nothing, so they always pass. A
    // tab adds a character the keyer has no code for, as does all above 127.
    const bool adds = ch == '\t' || ch == '\r' || ch == '\n' || ch >= 32;
    if (!adds) return true;
    // Counts above the store's size (only reachable by pasting) are as full.
    if (CountMessageText(w) >= kMessageStoreSize) return false;
    // A line break is stored as a space. "#" only stands for the empty pattern
    // read back, and "$" has no code the store can take: neither is typed.
    return ch == '\r' || ch == '\n' || HasMorsePattern(ch);
}

}  // namespace zt
