#include "app/startup.h"

#include "app/config_status.h"
#include "app/main_window.h"
#include "app/message_editor.h"
#include "app/session.h"
#include "app/settings_editor.h"
#include "app/settings_files.h"
#include "app/window_state.h"
#include "resources/templates.h"

namespace zt {

namespace {

// The file is read on the first tick of a timer started at Init, when the
// window stands, so that a refusal's box stands over it. Timer 1 is the
// status area's.
constexpr int kOpenFileTimer = 2;
std::string fileToOpen;

int MainWindowOpeningFile(ui::Window& w, const ui::Message& m) {
    if (m.msg == ui::Msg::Timer && m.id == kOpenFileTimer) {
        ui::stopTimer(w, kOpenFileTimer);
        // As Read Config File: the editor is refreshed whatever came of it.
        LoadSettingsFile(w, fileToOpen);
        FillSettingsControls(w, editedUser);
        FillMessageEdits(w);
        return 1;
    }
    const int handled = MainWindowProc(w, m);
    if (m.msg == ui::Msg::Init) ui::startTimer(w, kOpenFileTimer, 0);
    return handled;
}

}  // namespace

void LoadConfiguration() {
    appState.configFileName = DefaultConfigFileName();
    const ComPortSetting setting = LoadComPortSetting(appState.configFileName);
    if (setting.number) appState.comPortNumber = *setting.number;
    ShowConfigStatus(setting.status);
}

int RunProgram(const std::string& settingsFile) {
    LoadConfiguration();
    fileToOpen = settingsFile;
    int status = ui::runModal(kMainTemplate, nullptr,
                              settingsFile.empty() ? MainWindowProc : MainWindowOpeningFile);
    // The window is gone; nothing may reach for it any more.
    mainWindow = nullptr;
    keyerPort.SetWaitHook({});
    return status;
}

}  // namespace zt
