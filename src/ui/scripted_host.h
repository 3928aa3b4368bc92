#pragma once
// A host without a display: modal dialogs are driven by scripts the test
// registers, message boxes are recorded and answered OK, file dialogs are
// answered from a queue, and timer ticks come when the test says so.

#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "ui/ui.h"

namespace ui {

struct MessageBoxRecord {
    std::string text;
    std::string caption;
    Icon icon;
    Window* owner;
};

class ScriptedHost : public Host {
  public:
    using Script = std::function<void(Window&)>;

    // The next modal run of this template calls the script, which must end the
    // dialog (endDialog, or input that ends it). Scripts queue per template.
    void onModal(int templateId, Script script);
    // Answers for the next file dialogs, in order; nothing means cancel.
    void answerFileDialog(std::optional<std::string> path);
    // Delivers n ticks of a timer to a window.
    void tick(Window& w, int timerId, int n = 1);

    std::vector<MessageBoxRecord> messageBoxes;
    std::vector<FileDialogRequest> fileRequests;
    std::vector<int> modalRuns;    // template ids, in the order their loops ran
    std::vector<Window*> windows;  // open windows, oldest first
    int repaints = 0;
    std::function<void(Window&)> onRepaint;  // sees the window at every repaint
    int unscripted = 0;                      // modal loops that had no script and were closed
    int selectedText = 0;  // the edit whose text the last setFocus selected, 0 for none
    std::vector<std::string> announcements;  // results told, in order (announce)

    void opened(Window& w) override;
    void modalLoop(Window& w) override;
    void closed(Window& w) override;
    void changed(Window&, int) override {}
    void dialogEnded(Window&) override {}
    void timerChanged(Window&, int) override {}
    void repaint(Window& w) override {
        ++repaints;
        if (onRepaint) onRepaint(w);
    }
    void appendTextSync(Window& w, int id, const std::string& s) override;
    int messageBox(Window* owner, const std::string& text, const std::string& caption,
                   Icon icon) override;
    std::optional<std::string> fileDialog(Window* owner, const FileDialogRequest& request) override;
    // The focus stays in the model (Window::focus); this notes the selection.
    void setFocus(Window& w, int id, bool selectText) override;
    void announce(Window& w) override { announcements.push_back(w.announcement); }

  private:
    std::map<int, std::deque<Script>> scripts_;
    std::deque<std::optional<std::string>> fileAnswers_;
    std::mutex appendMutex_;
};

// Installs a ScriptedHost for the lifetime of this object.
class ScopedScriptedHost {
  public:
    ScopedScriptedHost() : previous_(currentHost()) { setHost(&host); }
    ~ScopedScriptedHost() { setHost(previous_); }
    ScopedScriptedHost(const ScopedScriptedHost&) = delete;
    ScopedScriptedHost& operator=(const ScopedScriptedHost&) = delete;
    ScriptedHost host;

  private:
    Host* previous_;
};

}  // namespace ui
