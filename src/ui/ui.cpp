#include "ui/ui.h"

#include <mutex>
#include <stdexcept>

namespace ui {

namespace {

Host* host = nullptr;
std::mutex appendMutex;  // model text appended from a worker without a host

void notify(Window& w, int id) {
    if (host && w.view) host->changed(w, id);
}

bool isButton(Kind k) {
    return k == Kind::PushButton || k == Kind::CheckBox || k == Kind::RadioButton;
}

}  // namespace

void setHost(Host* h) {
    host = h;
}
Host* currentHost() {
    return host;
}

// ---- Windows ------------------------------------------------------------------

void buildControls(Window& w, const DialogTemplate& tmpl) {
    w.tmpl = &tmpl;
    w.title = tmpl.title ? tmpl.title : "";
    w.controls.clear();
    for (std::size_t i = 0; i < tmpl.controlCount; ++i) {
        const ControlTemplate& t = tmpl.controls[i];
        Control c;
        c.id = t.id;
        c.kind = t.kind;
        c.style = t.style;
        // A combo box's caption is not its text; every other kind starts with it.
        if (t.caption && t.kind != Kind::ComboBox) c.text = captionText(t, &c.accessKey);
        c.visible = !(t.style & style::Hidden);
        c.enabled = !(t.style & style::Disabled);
        ControlLabel named = nameOf(tmpl, t);
        c.name = std::move(named.name);
        c.label = named.label;
        w.controls[t.id] = std::move(c);
    }
}

namespace {

std::unique_ptr<Window> newWindow(const DialogTemplate& tmpl, Window* owner, DialogProc proc) {
    auto w = std::make_unique<Window>();
    w->owner = owner;
    w->proc = std::move(proc);
    buildControls(*w, tmpl);
    return w;
}

}  // namespace

void Host::runModal(Window& w) {
    opened(w);
    send(w, {Msg::Init});
    if (!w.ended) modalLoop(w);
}

std::unique_ptr<Window> openWindow(const DialogTemplate& tmpl, Window* owner, DialogProc proc) {
    std::unique_ptr<Window> w = newWindow(tmpl, owner, std::move(proc));
    if (host) host->opened(*w);
    send(*w, {Msg::Init});
    return w;
}

void closeWindow(Window& w) {
    w.timers.clear();
    if (host && w.view) host->closed(w);
    w.view = nullptr;
}

int runModal(const DialogTemplate& tmpl, Window* owner, DialogProc proc) {
    if (!host) throw std::logic_error("runModal needs a host");
    std::unique_ptr<Window> w = newWindow(tmpl, owner, std::move(proc));
    host->runModal(*w);
    closeWindow(*w);
    return w->result;
}

void endDialog(Window& w, int result) {
    w.result = result;
    w.ended = true;
    if (host && w.view) host->dialogEnded(w);
}

int send(Window& w, const Message& m) {
    int handled = w.proc ? w.proc(w, m) : 0;
    if (handled || w.ended) return handled;
    // The dialog manager's own answer to an unhandled close request is the
    // cancel command, unless a cancel control exists and is disabled.
    if (m.msg == Msg::Close) {
        auto it = w.controls.find(kIdCancel);
        if (it == w.controls.end() || it->second.enabled) sendCommand(w, kIdCancel, 0);
    }
    return handled;
}

int sendCommand(Window& w, int id, int code) {
    return send(w, {Msg::Command, id, code});
}

int dispatch(std::span<const Route> routes, Window& w, const Message& m) {
    const bool byId = m.msg == Msg::Command || m.msg == Msg::Timer;
    for (const Route& r : routes) {
        if (r.msg != m.msg || (byId && r.id != m.id)) continue;
        if (r.code != kAnyCode && r.code != m.code) continue;
        r.run(w);
        return 1;
    }
    return 0;
}

// ---- Controls -----------------------------------------------------------------

bool has(const Window& w, int id) {
    return w.controls.count(id) != 0;
}

Control& control(Window& w, int id) {
    auto it = w.controls.find(id);
    if (it == w.controls.end())
        throw std::out_of_range("no control " + std::to_string(id) + " in " + w.title);
    return it->second;
}

void setText(Window& w, int id, const std::string& s) {
    control(w, id).text = s;
    notify(w, id);
}

std::string getText(Window& w, int id) {
    return control(w, id).text;
}

void check(Window& w, int id, bool on) {
    control(w, id).checked = on;
    notify(w, id);
}

bool isChecked(Window& w, int id) {
    return control(w, id).checked;
}

void enable(Window& w, int id, bool on) {
    control(w, id).enabled = on;
    if (!on && w.focus == id) w.focus = 0;  // a disabled control cannot keep the focus
    notify(w, id);
}

bool isEnabled(Window& w, int id) {
    return control(w, id).enabled;
}

void show(Window& w, int id, bool on) {
    control(w, id).visible = on;
    if (!on && w.focus == id) w.focus = 0;
    notify(w, id);
}

bool isVisible(Window& w, int id) {
    return control(w, id).visible;
}

void comboReset(Window& w, int id) {
    Control& c = control(w, id);
    c.items.clear();
    c.itemValues.clear();
    c.itemTips.clear();
    c.itemDescriptions.clear();
    c.selection = -1;
    c.text.clear();
    notify(w, id);
}

int comboAdd(Window& w, int id, const std::string& item, int value) {
    Control& c = control(w, id);
    c.items.push_back(item);
    c.itemValues.push_back(value);
    notify(w, id);
    return static_cast<int>(c.items.size()) - 1;
}

void comboAddAll(Window& w, int id, std::span<const char* const> items) {
    for (const char* item : items) comboAdd(w, id, item, comboCount(w, id));
}

void comboSelect(Window& w, int id, int index) {
    Control& c = control(w, id);
    if (index < 0 || index >= static_cast<int>(c.items.size())) {
        c.selection = -1;
        c.text.clear();
    } else {
        c.selection = index;
        c.text = c.items[index];
    }
    notify(w, id);
}

int comboSelection(Window& w, int id) {
    return control(w, id).selection;
}
int comboCount(Window& w, int id) {
    return static_cast<int>(control(w, id).items.size());
}

std::optional<int> comboSelectedValue(Window& w, int id) {
    const Control& c = control(w, id);
    if (c.selection < 0 || c.selection >= static_cast<int>(c.itemValues.size())) return {};
    return c.itemValues[c.selection];
}

void setProgress(Window& w, int id, int pos) {
    control(w, id).progress = pos < 0 ? 0 : (pos > 100 ? 100 : pos);
    notify(w, id);
}

int getProgress(Window& w, int id) {
    return control(w, id).progress;
}

void setTextLimit(Window& w, int id, int limit) {
    control(w, id).textLimit = limit;
    notify(w, id);
}

void setCharFilter(Window& w, int id, CharFilter filter) {
    control(w, id).filter = std::move(filter);
}

void setTip(Window& w, int id, const std::string& tip) {
    control(w, id).tip = tip;
    notify(w, id);
}

namespace {

// One text per list entry, as far as the list goes.
void setItemText(Window& w, int id, std::vector<std::string> Control::*texts, int index,
                 const std::string& text) {
    Control& c = control(w, id);
    if (index < 0 || index >= static_cast<int>(c.items.size())) return;
    std::vector<std::string>& v = c.*texts;
    if (v.size() < c.items.size()) v.resize(c.items.size());
    v[index] = text;
    notify(w, id);
}

}  // namespace

void comboSetItemTip(Window& w, int id, int index, const std::string& tip) {
    setItemText(w, id, &Control::itemTips, index, tip);
}

void comboSetItemDescription(Window& w, int id, int index, const std::string& text) {
    setItemText(w, id, &Control::itemDescriptions, index, text);
}

void setDescription(Window& w, int id, const std::string& text) {
    control(w, id).description = text;
    notify(w, id);
}

// ---- Keyboard focus -----------------------------------------------------------------

namespace {

bool canTakeFocus(Window& w, int id) {
    auto it = w.controls.find(id);
    return it != w.controls.end() && needsName(it->second.kind) &&
           it->second.kind != Kind::Progress && it->second.enabled && it->second.visible;
}

}  // namespace

int focusedControl(Window& w) {
    return host && w.view ? host->focusedControl(w) : w.focus;
}

void setFocus(Window& w, int id, bool selectText) {
    if (!canTakeFocus(w, id)) return;
    w.focus = id;
    ++w.focusMoves;
    if (host && w.view) host->setFocus(w, id, selectText);
}

namespace {

void tellAnnouncement(Window& w) {
    w.announcing = false;
    if (host && w.view) host->announce(w);
}

}  // namespace

FocusMark markFocus(Window& w) {
    ++w.focusMarks;
    return {focusedControl(w), w.focusMoves};
}

void restoreFocus(Window& w, const FocusMark& mark, int fallback) {
    if (w.focusMarks) --w.focusMarks;
    if (!w.ended && mark.id && w.focusMoves == mark.moves) {
        const int to = canTakeFocus(w, mark.id) ? mark.id : fallback;
        if (to && focusedControl(w) != to) setFocus(w, to);
    }
    if (!w.focusMarks && w.announcing) tellAnnouncement(w);
}

void announce(Window& w, const std::string& text) {
    w.announcement = text;
    w.announcing = true;
    if (!w.focusMarks) tellAnnouncement(w);
}

// ---- Timers, painting, dialogs ------------------------------------------------------

void startTimer(Window& w, int timerId, int ms) {
    w.timers[timerId] = ms;
    if (host && w.view) host->timerChanged(w, timerId);
}

void stopTimer(Window& w, int timerId) {
    w.timers.erase(timerId);
    if (host && w.view) host->timerChanged(w, timerId);
}

void repaint(Window& w) {
    if (host && w.view) host->repaint(w);
}

void appendTextSync(Window& w, int id, const std::string& s) {
    if (host && w.view) {
        host->appendTextSync(w, id, s);
        return;
    }
    std::lock_guard<std::mutex> lock(appendMutex);
    Control& c = control(w, id);
    c.text += fitsInLimit(c, s);
}

std::string fitsInLimit(const Control& c, const std::string& s) {
    const std::size_t used = c.text.size();
    const std::size_t room =
        c.textLimit > static_cast<int>(used) ? static_cast<std::size_t>(c.textLimit) - used : 0;
    if (s.size() <= room) return s;
    std::string head = s.substr(0, room);
    // Half a CR LF would leave a lone CR in the edit.
    if (!head.empty() && head.back() == '\r') head.pop_back();
    return head;
}

int messageBox(Window* owner, const std::string& text, const std::string& caption, Icon icon) {
    return host ? host->messageBox(owner, text, caption, icon) : 1;
}

std::optional<std::string> fileDialog(Window* owner, const FileDialogRequest& request) {
    if (!host) return std::nullopt;
    return host->fileDialog(owner, request);
}

// ---- Input ---------------------------------------------------------------------

void click(Window& w, int id) {
    auto it = w.controls.find(id);
    if (it == w.controls.end()) return;
    Control& c = it->second;
    if (!c.enabled || !c.visible || !isButton(c.kind)) return;
    if (c.kind == Kind::CheckBox && (c.style & style::AutoCheck)) {
        c.checked = !c.checked;
        notify(w, id);
    }
    sendCommand(w, id, 0);
}

void pressEnter(Window& w) {
    sendCommand(w, kIdOk, 0);
}

void pressEscape(Window& w) {
    auto it = w.controls.find(kIdCancel);
    if (it != w.controls.end() && !it->second.enabled) return;
    sendCommand(w, kIdCancel, 0);
}

void closeBox(Window& w) {
    send(w, {Msg::Close});
}

void selectItem(Window& w, int id, int index) {
    auto it = w.controls.find(id);
    if (it == w.controls.end()) return;
    Control& c = it->second;
    if (!c.enabled || c.kind != Kind::ComboBox) return;
    if (index < 0 || index >= static_cast<int>(c.items.size())) return;
    c.selection = index;
    c.text = c.items[index];
    notify(w, id);
    sendCommand(w, id, kSelectionChanged);
}

bool acceptsTypedChar(Window& w, int id, int ch) {
    auto it = w.controls.find(id);
    if (it == w.controls.end()) return false;
    Control& c = it->second;
    if (c.kind != Kind::Edit || !c.enabled || (c.style & style::ReadOnly)) return false;
    // The hook runs first, as a subclassed edit procedure does; the edit's own
    // digits-only rule comes after it and leaves control characters alone.
    if (c.filter && !c.filter(w, id, ch)) return false;
    if ((c.style & style::Number) && ch >= 32 && !(ch >= '0' && ch <= '9')) return false;
    return true;
}

int convertTypedChar(const Control& c, int ch) {
    if ((c.style & style::UpperCase) && ch >= 'a' && ch <= 'z') return ch - 'a' + 'A';
    return ch;
}

namespace {

void eraseLastChar(std::string& t) {
    if (t.empty()) return;
    // A line break is CR LF in an edit; backspace takes both.
    if (t.size() >= 2 && t.compare(t.size() - 2, 2, "\r\n") == 0)
        t.resize(t.size() - 2);
    else
        t.pop_back();
}

}  // namespace

bool typeChar(Window& w, int id, int ch) {
    if (!acceptsTypedChar(w, id, ch)) return false;
    Control& c = control(w, id);
    ch = convertTypedChar(c, ch);
    if (ch == 8) {
        eraseLastChar(c.text);
    } else if (ch == '\r') {
        if (!(c.style & style::Multiline)) return false;
        if (static_cast<int>(c.text.size()) + 2 > c.textLimit) return false;
        c.text += "\r\n";
    } else {
        if (ch < 32) return false;  // other control characters insert nothing
        if (static_cast<int>(c.text.size()) >= c.textLimit) return false;
        c.text += static_cast<char>(ch);
    }
    notify(w, id);
    return true;
}

void paste(Window& w, int id, const std::string& s) {
    Control& c = control(w, id);
    if (c.kind != Kind::Edit || !c.enabled || (c.style & style::ReadOnly)) return;
    std::string add;
    for (char ch : s) add += static_cast<char>(convertTypedChar(c, static_cast<unsigned char>(ch)));
    std::size_t room = c.textLimit > static_cast<int>(c.text.size())
                           ? static_cast<std::size_t>(c.textLimit) - c.text.size()
                           : 0;
    c.text += add.substr(0, room);
    notify(w, id);
}

void viewEdited(Window& w, int id, const std::string& s) {
    control(w, id).text = s;
}

void timerTick(Window& w, int timerId) {
    if (w.timers.count(timerId)) send(w, {Msg::Timer, timerId});
}

}  // namespace ui
