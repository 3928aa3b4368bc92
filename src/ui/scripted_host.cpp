#include "ui/scripted_host.h"

#include <algorithm>

namespace ui {

namespace {
int viewTag = 0;  // the scripted host's views are only markers
}

void ScriptedHost::onModal(int templateId, Script script) {
    scripts_[templateId].push_back(std::move(script));
}

void ScriptedHost::answerFileDialog(std::optional<std::string> path) {
    fileAnswers_.push_back(std::move(path));
}

void ScriptedHost::tick(Window& w, int timerId, int n) {
    for (int i = 0; i < n; ++i) timerTick(w, timerId);
}

void ScriptedHost::opened(Window& w) {
    w.view = &viewTag;
    windows.push_back(&w);
}

void ScriptedHost::modalLoop(Window& w) {
    int id = w.tmpl ? w.tmpl->id : 0;
    modalRuns.push_back(id);
    auto it = scripts_.find(id);
    if (it != scripts_.end() && !it->second.empty()) {
        Script script = std::move(it->second.front());
        it->second.pop_front();
        script(w);
    }
    if (!w.ended) {
        // A dialog nobody scripted is closed as a user would, so no test hangs.
        ++unscripted;
        closeBox(w);
        if (!w.ended) endDialog(w, 0);
    }
}

void ScriptedHost::closed(Window& w) {
    windows.erase(std::remove(windows.begin(), windows.end(), &w), windows.end());
}

void ScriptedHost::appendTextSync(Window& w, int id, const std::string& s) {
    std::lock_guard<std::mutex> lock(appendMutex_);
    Control& c = control(w, id);
    c.text += fitsInLimit(c, s);
}

void ScriptedHost::setFocus(Window&, int id, bool selectText) {
    selectedText = selectText ? id : 0;
}

int ScriptedHost::messageBox(Window* owner, const std::string& text, const std::string& caption,
                             Icon icon) {
    messageBoxes.push_back({text, caption, icon, owner});
    return 1;
}

std::optional<std::string> ScriptedHost::fileDialog(Window*, const FileDialogRequest& request) {
    fileRequests.push_back(request);
    if (fileAnswers_.empty()) return std::nullopt;
    std::optional<std::string> answer = std::move(fileAnswers_.front());
    fileAnswers_.pop_front();
    return answer;
}

}  // namespace ui
