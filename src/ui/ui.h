#pragma once
// The dialog manager, model half.
//
// A window is retained state addressed by control id and driven by a dialog
// procedure, as on Win32. The application only ever calls the free functions
// below; a Host shows the windows, passes the user's input on and answers
// message boxes and file dialogs. The Qt host and the scripted host of the
// tests turn input into the input functions at the end of this file, so that
// the dialog-manager rules live in one place; the Win32 host leaves those
// rules to Windows' own dialog manager and passes on the commands that come
// of them.
//
// Reading order: in this file, templates (DialogTemplate), the Window record,
// the application's calls, the Host interface, then the input functions. Then
// the hosts: scripted_host.h, qt/qt_host.h with qt/qt_dialog_view.h, and
// win32/win32_host.h. What is shown: the templates in
// src/resources/templates.cpp, and the program's windows in src/app/, from
// main_window.cpp (its route table), session.h (the one object holding
// what the windows share, made by main), window_state.h (the button groups)
// and setting_controls.h (which control shows which setting
// of src/settings/schema.h, changed through edits.h). The keyer operations
// they show are the core's, in src/link/operations.h and
// src/firmware/program.h, with the waits of src/link/waits.h. The operating
// system's services (serial ports, files, paths) are not here but in
// src/system/.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace ui {

// ---- Templates ------------------------------------------------------------

enum class Kind : std::uint8_t {
    PushButton,
    CheckBox,     // automatic when style::AutoCheck is set
    RadioButton,  // never flips by itself
    GroupBox,
    Static,
    Edit,
    ComboBox,  // drop-down list with an editable text part
    Progress,
};

namespace style {
constexpr std::uint32_t AutoCheck = 1u << 0;     // check box flips itself on a click
constexpr std::uint32_t Center = 1u << 1;        // text centred horizontally
constexpr std::uint32_t Right = 1u << 2;         // text right-aligned
constexpr std::uint32_t VCenter = 1u << 3;       // text centred vertically
constexpr std::uint32_t Multiline = 1u << 4;     // multi-line edit, or a button caption that wraps
constexpr std::uint32_t UpperCase = 1u << 5;     // edit converts letters to upper case
constexpr std::uint32_t Number = 1u << 6;        // edit refuses typed non-digits
constexpr std::uint32_t VScroll = 1u << 7;       // vertical scroll bar
constexpr std::uint32_t AutoHScroll = 1u << 8;   // edit scrolls horizontally as text grows
constexpr std::uint32_t AutoVScroll = 1u << 9;   // edit scrolls down by itself
constexpr std::uint32_t Border = 1u << 10;       // edit has a border
constexpr std::uint32_t ReadOnly = 1u << 11;     // edit cannot be typed into
constexpr std::uint32_t Hidden = 1u << 12;       // control starts invisible
constexpr std::uint32_t Disabled = 1u << 13;     // control starts disabled
constexpr std::uint32_t StatusField = 1u << 14;  // static: one of the window's status bar fields
}  // namespace style

// Dialog-level styles.
namespace dstyle {
constexpr std::uint32_t SysMenu = 1u << 0;  // close box
constexpr std::uint32_t MinimizeBox = 1u << 1;
constexpr std::uint32_t MaximizeBox = 1u << 2;
}  // namespace dstyle

// One control of a template. Coordinates are dialog units; for a combo box
// cy is the height of its dropped-down list, as in Win32 templates. In the
// caption of a button, check box, radio button or group box an "&" marks the
// next letter as the control's access key (Alt+letter) and "&&" stands for
// "&", as Windows reads them; the program's texts never hold the marks.
struct ControlTemplate {
    int id;
    Kind kind;
    const char* caption;
    int x, y, cx, cy;
    std::uint32_t style;
};

// The name of a control that no static text labels (see nameOf).
struct ControlName {
    int id;
    const char* name;
};

struct DialogTemplate {
    int id;
    const char* title;
    const char* className;  // nullptr for the plain dialog class
    int x, y, cx, cy;       // dialog units
    const char* font;
    int pointSize;
    std::uint32_t style;  // dstyle bits
    const ControlTemplate* controls;
    std::size_t controlCount;
    const ControlName* plainNames = nullptr;  // names of controls without a label
    std::size_t plainNameCount = 0;
};

// ---- Names for assistive technology --------------------------------------------

// Whether a screen reader meets a control of this kind by itself (every kind
// but static texts and group boxes, which are read as part of others), so
// that it needs a name.
bool needsName(Kind k);

// What a screen reader calls a control: a button, check box or radio button
// its own caption; an edit, list or progress bar its plain name from the
// template when it has one, else the static text that labels it: the one
// right of it on its row, or the one just above it, starting where it starts
// (a label that is hidden or shown with the control is taken before one that
// is not). Always one line. label is that static's id, 0 when there is none;
// name is empty for a control with no name at all.
struct ControlLabel {
    std::string name;
    int label = 0;
};
ControlLabel nameOf(const DialogTemplate& tmpl, const ControlTemplate& c);

// A template caption without its access-key marks; *key gets the marked letter
// in upper case (0 for none) when key is given.
std::string captionText(const ControlTemplate& c, char* key = nullptr);
// A text with its access key marked for a platform that reads "&" marks: the
// first letter that is key and starts a word, else the first that is key;
// every "&" of the text itself doubled.
std::string markAccessKey(const std::string& text, char key);

// ---- The window record ------------------------------------------------------

struct Window;
class Host;

// Sees each typed character of an edit before the edit does; false swallows it.
// Backspace arrives as 8; pasted text never passes through here.
using CharFilter = std::function<bool(Window&, int id, int ch)>;

struct Control {
    int id = 0;
    Kind kind = Kind::Static;
    std::uint32_t style = 0;
    std::string text;  // caption, edit text, or the combo's text part
    bool checked = false;
    bool enabled = true;
    bool visible = true;
    std::vector<std::string> items;             // combo list
    std::vector<int> itemValues;                // combo: the value each entry carries
    int selection = -1;                         // combo list selection, -1 none
    int progress = 0;                           // progress bar position, range 0..100
    int textLimit = 30000;                      // edit: most characters accepted from typing
    CharFilter filter;                          // edit: typed-character hook
    std::string tip;                            // tooltip, empty for none
    std::vector<std::string> itemTips;          // combo: tooltip per list entry
    std::vector<std::string> itemDescriptions;  // combo: accessible description per entry
    std::string name;                           // accessible name, one line (nameOf)
    int label = 0;                              // the static that labels it, 0 for none
    char accessKey = 0;                         // Alt+this letter clicks it; 0 for none
    std::string description;                    // accessible description, empty for none
};

enum class Msg : std::uint8_t { Init, Command, Timer, Close, Size };

struct Message {
    Msg msg;
    int id = 0;    // Command: control id; Timer: timer id
    int code = 0;  // Command: notification code
};

// Returns 1 when the message was handled, 0 to leave it to the dialog manager.
using DialogProc = std::function<int(Window&, const Message&)>;

// A dialog procedure as a table: each row names a message and the function
// that answers it. id is matched for Command and Timer messages; code only
// where a row gives one (combo boxes report a selection change with 1).
constexpr int kAnyCode = -1;
struct Route {
    Msg msg;
    int id;
    void (*run)(Window&);
    int code = kAnyCode;
};
// Runs the first row that matches m; 1 when one did, else 0 (unhandled).
int dispatch(std::span<const Route> routes, Window& w, const Message& m);

// Notification code a combo box sends when its selection changes.
constexpr int kSelectionChanged = 1;
// Command ids the dialog manager sends for Enter and Escape.
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;

struct Window {
    const DialogTemplate* tmpl = nullptr;
    Window* owner = nullptr;
    DialogProc proc;
    std::string title;
    std::map<int, Control> controls;
    bool ended = false;
    int result = 0;
    std::map<int, int> timers;  // id -> period in ms
    void* view = nullptr;       // the host's widget for this window
    int focus = 0;              // the focused control, for hosts that keep no focus of their own
    unsigned focusMoves = 0;    // how often the program has placed the focus (setFocus)
    unsigned focusMarks = 0;    // marks not yet restored (markFocus)
    std::string announcement;   // the last result told (announce)
    bool announcing = false;    // announcement waits for the focus to be restored
};

// ---- What the application calls ------------------------------------------------

// Runs a modal dialog from its template; returns the value given to endDialog.
int runModal(const DialogTemplate& tmpl, Window* owner, DialogProc proc);
// The first half of runModal: the window with its view, after Init, without a
// loop (tests and the renderer drive it). closeWindow is the second half.
std::unique_ptr<Window> openWindow(const DialogTemplate& tmpl, Window* owner, DialogProc proc);
void closeWindow(Window& w);
void endDialog(Window& w, int result);

// Sends a message to a window's procedure as the dialog manager would, with the
// default handling of unhandled messages; returns the procedure's result.
int send(Window& w, const Message& m);
int sendCommand(Window& w, int id, int code = 0);

bool has(const Window& w, int id);
Control& control(Window& w, int id);  // throws std::out_of_range for an unknown id

void setText(Window& w, int id, const std::string& s);
std::string getText(Window& w, int id);
void check(Window& w, int id, bool on);
bool isChecked(Window& w, int id);
void enable(Window& w, int id, bool on);
bool isEnabled(Window& w, int id);
void show(Window& w, int id, bool on);
bool isVisible(Window& w, int id);

void comboReset(Window& w, int id);
// Appends an entry carrying value; returns its index.
int comboAdd(Window& w, int id, const std::string& item, int value = 0);
// Appends entries in order, each carrying its position in the list as value.
void comboAddAll(Window& w, int id, std::span<const char* const> items);
void comboSelect(Window& w, int id, int index);  // -1 clears; sets the text part
int comboSelection(Window& w, int id);
int comboCount(Window& w, int id);
// The value of the selected entry; nothing when no entry is selected.
std::optional<int> comboSelectedValue(Window& w, int id);

void setProgress(Window& w, int id, int pos);
int getProgress(Window& w, int id);
void setTextLimit(Window& w, int id, int limit);
void setCharFilter(Window& w, int id, CharFilter filter);
// Tooltips: extra help beside a control's text, never in place of it.
void setTip(Window& w, int id, const std::string& tip);
void comboSetItemTip(Window& w, int id, int index, const std::string& tip);
// What a screen reader says about a control on request, beside its name; and
// about a list entry, beside its text.
void setDescription(Window& w, int id, const std::string& text);
void comboSetItemDescription(Window& w, int id, int index, const std::string& text);

// ---- Keyboard focus ------------------------------------------------------------

// The control of w that has the keyboard focus, or had it last while another
// window is active; 0 for none.
int focusedControl(Window& w);
// Gives the focus to a control that is enabled and shown; an edit's text is
// then selected when selectText is set.
void setFocus(Window& w, int id, bool selectText = false);
// Operations disable the controls while they run, and a platform moves the
// focus off a control that is disabled. markFocus notes where it is before
// such an operation; restoreFocus, after it, gives it back to that control if
// the control is enabled and shown again, else to fallback (when that can take
// it), unless the program has placed the focus itself meanwhile (a refused
// value sends it to the field the message names).
struct FocusMark {
    int id = 0;
    unsigned moves = 0;
};
FocusMark markFocus(Window& w);
void restoreFocus(Window& w, const FocusMark& mark, int fallback = 0);

// ---- Results told ------------------------------------------------------------------

// Tells the operator the result of an operation once, in the window's words,
// without moving the focus: the host hands it to the platform's screen reader
// as a notification, and the window keeps it (Window::announcement) to be read
// again after the fields that showed it have changed. Told while a focus mark
// is open, it waits until restoreFocus has given the focus back, so that the
// returning focus does not talk over it.
void announce(Window& w, const std::string& text);

void startTimer(Window& w, int timerId, int ms);
void stopTimer(Window& w, int timerId);

// Lets the window repaint during a blocking operation; user input stays blocked.
void repaint(Window& w);

// Appends text to an edit from any thread; returns once the text is in. What
// would pass the edit's text limit is left out, as an edit does.
void appendTextSync(Window& w, int id, const std::string& s);
// The head of s that still fits into an edit's text limit, not splitting a
// line break.
std::string fitsInLimit(const Control& c, const std::string& s);

enum class Icon : std::uint8_t { None, Warning };
// Shows a message box with one OK button; returns 1 (OK).
int messageBox(Window* owner, const std::string& text, const std::string& caption, Icon icon);

struct FileDialogRequest {
    bool save = false;
    std::string title;  // empty: the host's default
    // Each filter's name as the dialog shows it, and its patterns:
    // ("Settings Files (*.eep)", "*.eep").
    std::vector<std::pair<std::string, std::string>> filters;
    std::string defaultExtension;  // without the point, e.g. "eep"
    std::string initialPath;  // a folder, a file, or a pattern such as "*.bin" for the name field
    int initialFilter = 0;    // index into filters, selected when the dialog opens
    bool mustExist = false;   // open dialogs only: accept existing files only
};
// The chosen path, or nothing when the user cancelled.
std::optional<std::string> fileDialog(Window* owner, const FileDialogRequest& request);

// ---- The host ---------------------------------------------------------------

class Host {
  public:
    virtual ~Host() = default;
    // A whole modal run: the view, Init, and the loop until w.ended is set.
    // By default opened, Init, then modalLoop; a host whose system creates and
    // runs a modal dialog in one call (Win32's DialogBox) sends Init itself.
    virtual void runModal(Window& w);
    virtual void opened(Window& w) = 0;           // create the view; before Init
    virtual void modalLoop(Window& w) = 0;        // return once w.ended is set
    virtual void closed(Window& w) = 0;           // destroy the view
    virtual void changed(Window& w, int id) = 0;  // the model changed control id; mirror it
    virtual void dialogEnded(Window& w) = 0;      // endDialog was called; wake modalLoop
    virtual void timerChanged(Window& w, int timerId) = 0;  // started, restarted or stopped
    virtual void repaint(Window& w) = 0;
    virtual void appendTextSync(Window& w, int id, const std::string& s) = 0;
    virtual int messageBox(Window* owner, const std::string& text, const std::string& caption,
                           Icon icon) = 0;
    virtual std::optional<std::string> fileDialog(Window* owner,
                                                  const FileDialogRequest& request) = 0;
    // The keyboard focus. A host without one of its own keeps it in the model.
    virtual int focusedControl(const Window& w) { return w.focus; }
    virtual void setFocus(Window&, int /*id*/, bool /*selectText*/) {}
    // Hands a result to assistive technology (announce); w.announcement holds it.
    virtual void announce(Window&) {}
};

void setHost(Host* host);
Host* currentHost();

// Builds the control records of a template (no host involved); used by runModal
// and by tools that only want to look at a template.
void buildControls(Window& w, const DialogTemplate& tmpl);

// ---- Input, as the dialog manager turns it into messages ---------------------
// The Qt host and the scripted host call these, so the rules are written and
// tested once. The Win32 host calls only timerTick: Windows applies the rest.

// A click on a button, check box or radio button: nothing when disabled or
// hidden; an automatic check box flips first; then the command (id, code 0).
void click(Window& w, int id);
// Enter: command 1, code 0, whether or not a control has that id.
void pressEnter(Window& w);
// Escape: command 2, unless a control 2 exists and is disabled.
void pressEscape(Window& w);
// The close box: the Close message (never a command).
void closeBox(Window& w);
// The user picks a list entry: selection and text part change, then (id, 1).
void selectItem(Window& w, int id, int index);
// Whether a typed character reaches the edit: the char filter, then the
// digits-only rule. Backspace (8) is subject to the filter only.
bool acceptsTypedChar(Window& w, int id, int ch);
// The edit's own conversion of an accepted character (upper case).
int convertTypedChar(const Control& c, int ch);
// Typing into an edit in the model: filter, conversion, text limit, then
// append or (8) remove the last character. Returns whether it was accepted.
bool typeChar(Window& w, int id, int ch);
// Pasting: no filter; upper-case edits convert the pasted letters.
void paste(Window& w, int id, const std::string& s);
// The view changed an edit's text itself (after typing or pasting there):
// store it without echoing back to the view.
void viewEdited(Window& w, int id, const std::string& s);
// A timer fired.
void timerTick(Window& w, int timerId);

}  // namespace ui
