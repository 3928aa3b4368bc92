#pragma once
// The program's session: everything its windows and flows share while it
// runs, in one object. main makes it and RunProgram holds it as the current
// one while the window stands; each test makes a fresh one. The core keeps
// none of it; its functions are handed what they need.

#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "app/upload_state.h"
#include "common/keyer_records.h"
#include "link/port.h"
#include "settings/image.h"
#include "ui/ui.h"

namespace zt {

enum class Bank { One, Two };

struct Session {
    SettingsImage image{};         // the settings the window edits
    std::uint8_t busy = 0;         // 1 while a Test, Read or Write runs
    KeyerIdentity keyer;           // as the last detection left it
    std::uint8_t verboseMode = 0;  // set in the About box, read by the uploader
    std::string fileName;          // last settings-file path chosen (never truncated)
    // The selected COM port; any 32-bit value from the configuration file is kept.
    std::int32_t comPortNumber = 0;
    std::string configFileName;  // where it is kept; empty when there is no place for it
    // The keyer operations' waits: the full ones throughout, also while detecting.
    KeyerWaits waits;
    // The keyer operations' serial port: closed at the start of every one,
    // before the port dialog and at Exit. The upload worker borrows it.
    Port port;

    ui::Window* window = nullptr;  // the main window while it stands
    std::thread::id windowThread;  // the one its waits may repaint it from
    User editedUser = User::One;
    Bank shownBank = Bank::One;
    int statusCountdown = 0;  // ticks until the operation state clears
    std::string fileToOpen;   // zttools FILE, read once the window stands

    std::unique_ptr<Uploader> uploader;  // while the uploader dialog is open
    // Starts the upload's worker thread; empty for std::thread. Tests put a
    // failing one in.
    WorkerStarter startUploadWorker;
};

// The session RunProgram or a test made current; there is always one while
// a window of the program runs.
Session& CurrentSession();

// Makes a session the current one for the scope's life.
class SessionScope {
  public:
    explicit SessionScope(Session& session);
    ~SessionScope();
    SessionScope(const SessionScope&) = delete;
    SessionScope& operator=(const SessionScope&) = delete;

  private:
    Session* before_;
};

// Where the keyer operations find the keyer: the selected COM port.
inline PortTarget KeyerTarget() {
    return {CurrentSession().comPortNumber, {}};
}

}  // namespace zt
