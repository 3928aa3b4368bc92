#include "app/settings_files.h"

#include <optional>
#include <string>

#include "app/session.h"
#include "app/status.h"
#include "resources/ids.h"
#include "settings/settings_file.h"

namespace zt {

namespace {

// The dialogs start with no name, and the chosen path is kept in the session.
std::optional<std::string> AskForFile(ui::Window& w, bool save) {
    CurrentSession().fileName.clear();
    ui::FileDialogRequest request;
    request.save = save;
    request.filters = {{"Settings Files (*.eep)", "*.eep"}, {"All Documents (*.*)", "*.*"}};
    request.defaultExtension = "eep";
    std::optional<std::string> path = ui::fileDialog(&w, request);
    if (path) CurrentSession().fileName = *path;
    return path;
}

// Paths of either platform: what follows the last separator.
std::string BareName(const std::string& path) {
    const std::size_t at = path.find_last_of("/\\");
    return at == std::string::npos ? path : path.substr(at + 1);
}

bool Report(ui::Window& w, SettingsFileResult result) {
    if (result == SettingsFileResult::Ok) return true;
    ui::messageBox(&w, SettingsFileText(result), "Error", ui::Icon::None);
    return false;
}

// A file read or written is told by its name on the message line; a failure
// has told itself in its message box.
bool Told(ui::Window& w, bool ok) {
    if (ok) AnnounceFields(w, {ids::kMessageLine});
    return ok;
}

}  // namespace

bool LoadSettingsFile(ui::Window& w) {
    const std::optional<std::string> path = AskForFile(w, false);
    return path && Told(w, LoadSettingsFile(w, *path));
}

bool LoadSettingsFile(ui::Window& w, const std::string& path) {
    CurrentSession().fileName = path;
    ui::setText(w, ids::kMessageLine, "EEP FileName: " + BareName(path));
    return Report(w, ReadSettingsFile(path, CurrentSession().image));
}

bool SaveSettingsFile(ui::Window& w) {
    const std::optional<std::string> path = AskForFile(w, true);
    if (!path) return false;
    ui::setText(w, ids::kMessageLine, BareName(*path));
    return Told(w, Report(w, WriteSettingsFile(*path, CurrentSession().image)));
}

}  // namespace zt
