#pragma once
// The Qt 6 Widgets host of the dialog manager (see ui/ui.h).
//
// Each window becomes a QDialog whose controls are real widgets placed from
// the template in dialog units. The model stays the truth: widgets mirror it
// (Host::changed) and user input reaches it only through the ui:: input
// functions, so the dialog-manager rules live in one place for both hosts.
//
// Construct the host after the QApplication and install it with setHost.
// It turns off quitting on the last window closed: windows end through the model.

#include <QFont>
#include <QRect>
#include <functional>
#include <optional>
#include <string>

#include "ui/ui.h"

class QDialog;
class QWidget;

namespace ui {

// ---- Dialog units -----------------------------------------------------------

// The pixel size of one horizontal (cx / 4) and one vertical (cy / 8) dialog
// unit's base, as Windows derives them from a dialog's font.
struct BaseUnits {
    int cx = 0;  // average width of "A".."Z", "a".."z", rounded as Windows does
    int cy = 0;  // font height
};

// The installed face that stands in for a template's font ("MS Shell Dlg" and
// "Tahoma" do not exist on Linux), at the template's point size.
QFont dialogFont(const DialogTemplate& t);
BaseUnits baseUnits(const QFont& font);
// A rectangle in dialog units, in pixels.
QRect dialogRect(BaseUnits u, int x, int y, int cx, int cy);

// ---- The host -----------------------------------------------------------------

class QtHost : public Host {
  public:
    // iconXpm: XPM rows of the windows' icon, or nullptr for Qt's default.
    explicit QtHost(const char* const* iconXpm = nullptr);
    ~QtHost() override;
    QtHost(const QtHost&) = delete;
    QtHost& operator=(const QtHost&) = delete;

    // Seams for tests that must not block: when set, these answer in place of
    // the real QMessageBox and QFileDialog.
    std::function<int(Window* owner, const std::string& text, const std::string& caption,
                      Icon icon)>
        messageBoxHook;
    std::function<std::optional<std::string>(Window* owner, const FileDialogRequest& request)>
        fileDialogHook;

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
    void announce(Window& w) override;

  private:
    const char* const* iconXpm_;
};

// The dialog of a window shown by a QtHost, or nullptr.
QDialog* windowWidget(const Window& w);
// The widget of control id in such a window, or nullptr.
QWidget* controlWidget(const Window& w, int id);
// Where control id lies in the window's client area (which scrolls in the
// window when the screen is too small for it); empty for none.
QRect controlRect(const Window& w, int id);
// The client area of such a window.
QWidget* clientArea(const Window& w);

// Draws a window's client area to a PNG file (also a window never shown).
bool grabWindow(Window& w, const std::string& path);
// Opens a window from a template without running its loop or any procedure,
// lets fill write into it, and draws it. Needs a QtHost installed.
bool renderTemplate(const DialogTemplate& t, const std::string& path,
                    const std::function<void(Window&)>& fill = {});

}  // namespace ui
