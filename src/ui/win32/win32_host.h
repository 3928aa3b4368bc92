#pragma once
// The Win32 host of the dialog manager (see ui/ui.h).
//
// Each template becomes a DLGTEMPLATEEX in memory, and Windows' own dialog
// manager runs it: DialogBoxIndirectParam for a modal run, a modeless
// dialog for a window opened without a loop (tests, screenshots). The model
// stays the truth for what the program writes (Host::changed becomes
// SetDlgItemText, CheckDlgButton, EnableWindow, ...); what the user changes
// (edit text, check boxes, list selections) is read back from the controls
// as their notifications arrive, before the procedure sees them.
//
// Unlike the Qt and scripted hosts, this one emulates nothing: Enter and
// Escape, the close box's cancel, automatic check boxes, upper-case and
// digits-only edits, access keys ("&" in a caption) come from Windows
// itself. Only the char filter is the program's, as a subclassed edit
// procedure; and the controls' names for assistive technology, which
// Windows would take from the static before each control in tab order (in
// these templates the label of the row above), are the model's, given by
// dynamic annotation.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/ui.h"

struct IAccPropServices;  // oleacc.h

namespace ui {

// The DLGTEMPLATEEX of a template: its font, styles, ids and captions, with
// WS_VISIBLE left out so that the caller decides when the dialog shows.
std::vector<std::uint8_t> buildDialogTemplate(const DialogTemplate& t);

// The window styles a control of the template gets.
DWORD controlStyle(const ControlTemplate& c);
DWORD dialogStyle(const DialogTemplate& t);

// What the host tells assistive technology about a control beyond what
// Windows finds by itself. LiveRegion marks the window's notice, the static
// that tells results (announce): a polite live region, whose changes are
// EVENT_OBJECT_LIVEREGIONCHANGED events.
struct Annotation {
    enum class Kind : std::uint8_t { Name, Description, StatusBar, LiveRegion };
    HWND control;
    Kind kind;
    std::string text;           // the name or description; empty for StatusBar and LiveRegion
    LONG child = CHILDID_SELF;  // an entry of the control's list: its index + 1
};

class Win32Host : public Host {
  public:
    // iconId: the icon resource of the windows (0: none), from instance.
    explicit Win32Host(HINSTANCE instance = GetModuleHandleA(nullptr), int iconId = 0);
    ~Win32Host() override;
    Win32Host(const Win32Host&) = delete;
    Win32Host& operator=(const Win32Host&) = delete;

    void runModal(Window& w) override;
    void opened(Window& w) override;
    void modalLoop(Window& w) override;
    void closed(Window& w) override;
    void changed(Window& w, int id) override;
    void dialogEnded(Window& w) override;
    void timerChanged(Window& w, int timerId) override;
    void repaint(Window& w) override;
    void appendTextSync(Window& w, int id, const std::string& s) override;
    int messageBox(Window* owner, const std::string& text, const std::string& caption,
                   Icon icon) override;
    std::optional<std::string> fileDialog(Window* owner, const FileDialogRequest& request) override;
    int focusedControl(const Window& w) override;
    void setFocus(Window& w, int id, bool selectText) override;
    // Writes the result into the window's notice and raises its live-region event.
    void announce(Window& w) override;

    // Hands each annotation to assistive technology: by default through
    // IAccPropServices (SetHwndPropStr with PROPID_ACC_NAME and
    // PROPID_ACC_DESCRIPTION, SetHwndProp with PROPID_ACC_ROLE and the live
    // setting); a test may
    // take them instead. Annotations a service refuses (Wine has none) are
    // left out.
    std::function<void(const Annotation&)> annotate;
    // Takes back what the default annotation gave a control that goes away.
    void clearAnnotations(HWND control, LONG child);

  private:
    void registerClass(const char* name);
    void annotateByService(const Annotation& a);
    HINSTANCE instance_;
    HICON icon_ = nullptr;
    HICON smallIcon_ = nullptr;
    bool comStarted_ = false;
    ::IAccPropServices* props_ = nullptr;  // the annotation service, when there is one
};

// The dialog of a window shown by a Win32Host, or nullptr.
HWND windowHandle(const Window& w);
// The static that tells that window's results (announce), once it has told one.
HWND noticeHandle(const Window& w);
// The control id of that dialog, or nullptr.
HWND controlHandle(const Window& w, int id);
// The window whose dialog is hwnd, or nullptr.
Window* windowOf(HWND hwnd);

// The common-dialog name filter: "Name\0*.a;*.b\0...\0\0".
std::string filterString(const FileDialogRequest& request);

// Draws a top-level window, frame included, as it is on screen into a 24-bit
// BMP file.
bool saveWindowBitmap(HWND hwnd, const std::string& path);

}  // namespace ui
