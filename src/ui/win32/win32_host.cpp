#include "ui/win32/win32_host.h"

#include <commctrl.h>
#include <commdlg.h>
#include <ole2.h>
// The annotation service's GUIDs are defined here, in the one file that uses them.
#include <initguid.h>
#include <oleacc.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>

namespace ui {

namespace {

// ---- Templates in memory --------------------------------------------------------

// Predefined control classes as DLGITEMTEMPLATEEX ordinals.
constexpr WORD kButtonClass = 0x0080;
constexpr WORD kEditClass = 0x0081;
constexpr WORD kStaticClass = 0x0082;
constexpr WORD kComboBoxClass = 0x0085;

class TemplateWriter {
  public:
    void word(WORD v) { raw(&v, sizeof v); }
    void dword(DWORD v) { raw(&v, sizeof v); }
    void shortInt(short v) { raw(&v, sizeof v); }
    void byte(BYTE v) { bytes_.push_back(v); }
    // Item templates start on a DWORD boundary.
    void alignDword() {
        while (bytes_.size() % 4) bytes_.push_back(0);
    }
    // A zero-terminated UTF-16 string; the model's texts are in the ANSI code
    // page, as every other call of this host takes them.
    void text(const char* s) {
        if (s && *s) {
            const int n = MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
            std::wstring w(static_cast<std::size_t>(n), L'\0');
            MultiByteToWideChar(CP_ACP, 0, s, -1, w.data(), n);
            for (int i = 0; i + 1 < n; ++i) word(static_cast<WORD>(w[i]));
        }
        word(0);
    }
    void ordinal(WORD v) {
        word(0xFFFF);
        word(v);
    }
    std::vector<std::uint8_t> take() { return std::move(bytes_); }

  private:
    void raw(const void* p, std::size_t n) {
        const auto* b = static_cast<const std::uint8_t*>(p);
        bytes_.insert(bytes_.end(), b, b + n);
    }
    std::vector<std::uint8_t> bytes_;
};

// ---- The view of one window ------------------------------------------------------

// UI Automation's live setting, which oleacc's headers here do not name, and
// its value for a region whose changes wait until the current speech is done.
constexpr MSAAPROPID kLiveSetting = {
    0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
constexpr LONG kPoliteLive = 1;
// EVENT_OBJECT_LIVEREGIONCHANGED, which the headers name from Windows 8 on.
constexpr DWORD kLiveRegionChanged = 0x8019;

constexpr UINT kAppendMessage = WM_APP + 1;  // wParam: control id, lParam: const std::string*
constexpr char kViewProp[] = "zttools.view";
constexpr char kEditProcProp[] = "zttools.editproc";

struct View {
    Window* w = nullptr;
    Win32Host* host = nullptr;
    HWND hwnd = nullptr;
    HWND tips = nullptr;
    bool modal = false;
    int mirroring = 0;                     // > 0 while the model writes into the controls
    std::map<HWND, std::string> tipTexts;  // tools added to tips, by the window they cover
    // Descriptions annotated, by control and list entry.
    std::map<std::pair<HWND, LONG>, std::string> described;
    std::vector<std::pair<HWND, LONG>> annotated;  // annotations to take back
    HWND notice = nullptr;                         // tells results (announce)
};

View* viewOf(const Window& w) {
    return static_cast<View*>(w.view);
}

View* viewOfHandle(HWND hwnd) {
    return hwnd ? static_cast<View*>(GetPropA(hwnd, kViewProp)) : nullptr;
}

std::string windowText(HWND h) {
    const int n = GetWindowTextLengthA(h);
    std::string s(static_cast<std::size_t>(n) + 1, '\0');
    const int got = GetWindowTextA(h, s.data(), n + 1);
    s.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return s;
}

std::string comboItem(HWND h, int index) {
    const LRESULT n = SendMessageA(h, CB_GETLBTEXTLEN, index, 0);
    if (n == CB_ERR) return {};
    std::string s(static_cast<std::size_t>(n) + 1, '\0');
    SendMessageA(h, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(s.data()));
    s.resize(static_cast<std::size_t>(n));
    return s;
}

// A procedure's answer to a message that Windows delivered: the dialog
// manager's default handling (an unhandled close becomes the cancel command)
// is Windows' own, so the model's send() is not used here.
int forward(Window& w, const Message& m) {
    return w.proc ? w.proc(w, m) : 0;
}

// ---- Model -> controls -------------------------------------------------------------

void setTip(View& v, HWND h, const std::string& text) {
    if (!h) return;
    auto known = v.tipTexts.find(h);
    if (known != v.tipTexts.end() && known->second == text) return;
    if (!v.tips && text.empty()) return;
    if (!v.tips) {
        v.tips = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                 WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, v.hwnd, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        if (!v.tips) return;
    }
    TOOLINFOA ti{};
    ti.cbSize = TTTOOLINFOA_V1_SIZE;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = v.hwnd;
    ti.uId = reinterpret_cast<UINT_PTR>(h);
    ti.lpszText = const_cast<char*>(text.c_str());
    if (known == v.tipTexts.end()) {
        if (!text.empty()) SendMessageA(v.tips, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
    } else if (text.empty()) {
        SendMessageA(v.tips, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
    } else {
        SendMessageA(v.tips, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&ti));
    }
    if (text.empty())
        v.tipTexts.erase(h);
    else
        v.tipTexts[h] = text;
}

// A list has no tooltip per entry; the box shows its own tip, or else the
// chosen entry's, over the box and its text part.
std::string shownTip(const Control& c) {
    if (!c.tip.empty() || c.kind != Kind::ComboBox) return c.tip;
    if (c.selection >= 0 && c.selection < static_cast<int>(c.itemTips.size()))
        return c.itemTips[c.selection];
    return {};
}

void mirrorCombo(HWND h, const Control& c) {
    const int count = static_cast<int>(SendMessageA(h, CB_GETCOUNT, 0, 0));
    bool same = count == static_cast<int>(c.items.size());
    for (int i = 0; same && i < count; ++i) same = comboItem(h, i) == c.items[i];
    if (!same) {
        SendMessageA(h, CB_RESETCONTENT, 0, 0);
        for (const std::string& item : c.items)
            SendMessageA(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    }
    if (SendMessageA(h, CB_GETCURSEL, 0, 0) != c.selection || !same)
        SendMessageA(h, CB_SETCURSEL, static_cast<WPARAM>(c.selection), 0);
    if (windowText(h) != c.text) SetWindowTextA(h, c.text.c_str());
}

void annotate(View& v, HWND h, Annotation::Kind kind, const std::string& text = {},
              LONG child = CHILDID_SELF) {
    if (!v.host || !v.host->annotate) return;
    v.host->annotate({h, kind, text, child});
    const std::pair<HWND, LONG> at{h, child};
    if (std::find(v.annotated.begin(), v.annotated.end(), at) == v.annotated.end())
        v.annotated.push_back(at);
}

// The model's name for each control that needs one, and the status bar's
// role for its fields; descriptions follow the model (mirror).
void annotateControl(View& v, HWND h, const Control& c) {
    if (needsName(c.kind) && !c.name.empty()) annotate(v, h, Annotation::Kind::Name, c.name);
    if (c.kind == Kind::Static && (c.style & style::StatusField))
        annotate(v, h, Annotation::Kind::StatusBar);
}

void describe(View& v, HWND h, const std::string& text, LONG child = CHILDID_SELF) {
    auto known = v.described.find({h, child});
    if (known == v.described.end() ? text.empty() : known->second == text) return;
    annotate(v, h, Annotation::Kind::Description, text, child);
    v.described[{h, child}] = text;
}

// A list's entries are the children of its drop-down list.
void describeEntries(View& v, HWND combo, const Control& c) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (c.itemDescriptions.empty() || !GetComboBoxInfo(combo, &info) || !info.hwndList) return;
    for (std::size_t i = 0; i < c.itemDescriptions.size(); ++i)
        describe(v, info.hwndList, c.itemDescriptions[i], static_cast<LONG>(i + 1));
}

// A multi-line button's caption broken at blanks into lines that fit its
// width. Windows breaks it so by itself; Wine breaks one word too early and
// cuts the last line off, so the host hands it the lines ready made.
std::string wrappedCaption(HWND h, const std::string& text) {
    RECT r;
    GetClientRect(h, &r);
    const int width = r.right - 2 * GetSystemMetrics(SM_CXEDGE) - 4;
    HDC dc = GetDC(h);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(h, WM_GETFONT, 0, 0)));
    auto fits = [&](const std::string& s) {
        SIZE size{};
        GetTextExtentPoint32A(dc, s.c_str(), static_cast<int>(s.size()), &size);
        return size.cx <= width;
    };
    std::string out, line, word;
    auto flush = [&] {
        if (word.empty()) return;
        const std::string longer = line.empty() ? word : line + " " + word;
        if (!line.empty() && !fits(longer)) {
            out += (out.empty() ? "" : "\r\n") + line;
            line = word;
        } else {
            line = longer;
        }
        word.clear();
    };
    for (char c : text) {
        if (c == ' ')
            flush();
        else
            word += c;
    }
    flush();
    if (!line.empty()) out += (out.empty() ? "" : "\r\n") + line;
    SelectObject(dc, old);
    ReleaseDC(h, dc);
    return out;
}

// A caption as the control shows it: a multi-line button's broken into
// lines, and a button's access key marked with "&" (a static text shows its
// text as it is: SS_NOPREFIX).
std::string shownCaption(HWND h, const Control& c) {
    if (c.kind == Kind::Static) return c.text;
    const bool wraps = c.kind == Kind::PushButton && (c.style & style::Multiline);
    return markAccessKey(wraps ? wrappedCaption(h, c.text) : c.text, c.accessKey);
}

void mirror(View& v, int id) {
    HWND h = GetDlgItem(v.hwnd, id);
    if (!h) return;
    const Control& c = control(*v.w, id);
    ++v.mirroring;
    if ((IsWindowEnabled(h) != FALSE) != c.enabled) EnableWindow(h, c.enabled);
    const bool shown = (GetWindowLongA(h, GWL_STYLE) & WS_VISIBLE) != 0;
    if (shown != c.visible) ShowWindow(h, c.visible ? SW_SHOWNA : SW_HIDE);
    switch (c.kind) {
        case Kind::CheckBox:
        case Kind::RadioButton:
            if ((IsDlgButtonChecked(v.hwnd, id) == BST_CHECKED) != c.checked)
                CheckDlgButton(v.hwnd, id, c.checked ? BST_CHECKED : BST_UNCHECKED);
            [[fallthrough]];
        case Kind::GroupBox:
        case Kind::Static:
        case Kind::PushButton: {
            const std::string shown = shownCaption(h, c);
            if (windowText(h) != shown) SetDlgItemTextA(v.hwnd, id, shown.c_str());
            break;
        }
        case Kind::Edit:
            if (SendMessageA(h, EM_GETLIMITTEXT, 0, 0) != c.textLimit)
                SendMessageA(h, EM_SETLIMITTEXT, static_cast<WPARAM>(c.textLimit), 0);
            if (windowText(h) != c.text) {
                SetDlgItemTextA(v.hwnd, id, c.text.c_str());
                // An upper-case edit converts what it is given; the model
                // holds what the edit holds, as GetDlgItemText would read it.
                control(*v.w, id).text = windowText(h);
            }
            break;
        case Kind::ComboBox:
            mirrorCombo(h, c);
            break;
        case Kind::Progress:
            if (SendMessageA(h, PBM_GETPOS, 0, 0) != c.progress)
                SendMessageA(h, PBM_SETPOS, static_cast<WPARAM>(c.progress), 0);
            break;
    }
    const std::string tip = shownTip(c);
    setTip(v, h, tip);
    if (c.kind == Kind::ComboBox) setTip(v, GetWindow(h, GW_CHILD), tip);  // the text part
    describe(v, h, c.description);
    if (c.kind == Kind::ComboBox) describeEntries(v, h, c);
    --v.mirroring;
}

// ---- Controls -> model -------------------------------------------------------------

// What the user changed, read from the control that reports it, before the
// procedure sees the notification.
void learn(View& v, int id, int code, HWND from) {
    auto it = v.w->controls.find(id);
    if (it == v.w->controls.end() || GetDlgItem(v.hwnd, id) != from) return;
    Control& c = it->second;
    switch (c.kind) {
        case Kind::CheckBox:
        case Kind::RadioButton:
            if (code == BN_CLICKED) c.checked = IsDlgButtonChecked(v.hwnd, id) == BST_CHECKED;
            break;
        case Kind::Edit:
            if (code == EN_CHANGE) c.text = windowText(from);
            break;
        case Kind::ComboBox: {
            const int sel = static_cast<int>(SendMessageA(from, CB_GETCURSEL, 0, 0));
            c.selection = sel < 0 || sel >= static_cast<int>(c.items.size()) ? -1 : sel;
            // At a selection change the text part has not caught up yet.
            c.text =
                code == CBN_SELCHANGE && c.selection >= 0 ? c.items[c.selection] : windowText(from);
            const std::string tip = shownTip(c);
            setTip(v, from, tip);
            setTip(v, GetWindow(from, GW_CHILD), tip);
            break;
        }
        default:
            break;
    }
}

// The char filter as a subclassed edit procedure: it sees each typed
// character before the edit does. Pasting never passes through WM_CHAR.
LRESULT CALLBACK filteredEditProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    auto previous = reinterpret_cast<WNDPROC>(GetPropA(h, kEditProcProp));
    if (msg == WM_CHAR) {
        if (View* v = viewOfHandle(GetParent(h))) {
            const int id = GetDlgCtrlID(h);
            auto it = v->w->controls.find(id);
            if (it != v->w->controls.end() && it->second.filter &&
                !it->second.filter(*v->w, id, static_cast<int>(wp & 0xFF)))
                return 0;
        }
    } else if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        RemovePropA(h, kEditProcProp);
    }
    return CallWindowProcA(previous, h, msg, wp, lp);
}

void appendNow(View& v, int id, const std::string& s) {
    Control& c = control(*v.w, id);
    HWND h = GetDlgItem(v.hwnd, id);
    if (!h) {
        c.text += s;
        return;
    }
    ++v.mirroring;
    const int end = GetWindowTextLengthA(h);
    SendMessageA(h, EM_SETSEL, static_cast<WPARAM>(end), end);
    SendMessageA(h, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(s.c_str()));
    --v.mirroring;
    // As the edit took it: converted, and cut at its text limit.
    c.text = windowText(h);
}

// Everything a new dialog needs before its procedure's Init: the view linked
// both ways, the icon, the edits subclassed, and the model's state shown.
void attach(View& v, HWND hwnd, HICON icon, HICON smallIcon) {
    v.hwnd = hwnd;
    v.w->view = &v;
    SetPropA(hwnd, kViewProp, &v);
    if (icon) SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    if (smallIcon) SendMessageA(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
    for (auto& [id, c] : v.w->controls) {
        HWND h = GetDlgItem(hwnd, id);
        if (!h) continue;
        if (c.kind == Kind::Edit) {
            SetPropA(h, kEditProcProp,
                     reinterpret_cast<HANDLE>(GetWindowLongPtrA(h, GWLP_WNDPROC)));
            SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(filteredEditProc));
        }
        annotateControl(v, h, c);
        mirror(v, id);
    }
    for (const auto& [timerId, ms] : v.w->timers)
        SetTimer(hwnd, static_cast<UINT_PTR>(timerId), static_cast<UINT>(ms), nullptr);
}

struct Creation {
    View* view;
    HICON icon;
    HICON smallIcon;
    bool sendInit;
};

INT_PTR CALLBACK dialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        auto* made = reinterpret_cast<Creation*>(lp);
        attach(*made->view, hwnd, made->icon, made->smallIcon);
        const unsigned moves = made->view->w->focusMoves;
        if (made->sendInit) forward(*made->view->w, {Msg::Init});
        // The dialog manager places the focus, unless the procedure has.
        return made->view->w->focusMoves == moves ? TRUE : FALSE;
    }
    View* v = viewOfHandle(hwnd);
    if (!v) return FALSE;
    Window& w = *v->w;
    switch (msg) {
        case WM_COMMAND: {
            const int id = LOWORD(wp), code = HIWORD(wp);
            // Escape and an unhandled close send the cancel command, which
            // Windows withholds while a cancel control is disabled; Wine sends
            // it all the same, so it stops here.
            HWND cancel =
                id == IDCANCEL && code == BN_CLICKED ? GetDlgItem(hwnd, IDCANCEL) : nullptr;
            if (cancel && !IsWindowEnabled(cancel)) return TRUE;
            if (lp && !v->mirroring) learn(*v, id, code, reinterpret_cast<HWND>(lp));
            return forward(w, {Msg::Command, id, code});
        }
        case WM_TIMER:
            timerTick(w, static_cast<int>(wp));
            return TRUE;
        case WM_CLOSE:
            return forward(w, {Msg::Close});
        case WM_SIZE:
            return forward(w, {Msg::Size});
        case kAppendMessage:
            appendNow(*v, static_cast<int>(wp), *reinterpret_cast<const std::string*>(lp));
            return TRUE;
        case WM_DESTROY:
            // The controls still exist: take back what was said about them.
            if (v->host)
                for (const auto& [h, child] : v->annotated) v->host->clearAnnotations(h, child);
            v->annotated.clear();
            return FALSE;
        case WM_NCDESTROY:
            RemovePropA(hwnd, kViewProp);
            if (w.view == v) w.view = nullptr;
            v->hwnd = nullptr;
            v->tips = nullptr;  // owned by the dialog, gone with it
            v->notice = nullptr;
            return FALSE;
        default:
            return FALSE;
    }
}

bool onWindowThread(HWND hwnd) {
    return GetWindowThreadProcessId(hwnd, nullptr) == GetCurrentThreadId();
}

HWND ownerHandle(Window* owner) {
    return owner ? windowHandle(*owner) : nullptr;
}

// Views of windows opened without a loop, until they are closed.
std::map<Window*, std::unique_ptr<View>>& modelessViews() {
    static std::map<Window*, std::unique_ptr<View>> views;
    return views;
}

}  // namespace

// ---- Templates ----------------------------------------------------------------------

DWORD dialogStyle(const DialogTemplate& t) {
    DWORD s = WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT | DS_3DLOOK;
    if (t.style & dstyle::SysMenu) s |= WS_SYSMENU;
    if (t.style & dstyle::MinimizeBox) s |= WS_MINIMIZEBOX;
    if (t.style & dstyle::MaximizeBox) s |= WS_MAXIMIZEBOX;
    return s;
}

DWORD controlStyle(const ControlTemplate& c) {
    const std::uint32_t st = c.style;
    DWORD s = WS_CHILD;
    if (!(st & style::Hidden)) s |= WS_VISIBLE;
    if (st & style::Disabled) s |= WS_DISABLED;
    switch (c.kind) {
        case Kind::PushButton:
            s |= BS_PUSHBUTTON | WS_TABSTOP;
            if (st & style::Multiline) s |= BS_MULTILINE;
            break;
        case Kind::CheckBox:
            s |= ((st & style::AutoCheck) ? BS_AUTOCHECKBOX : BS_CHECKBOX) | WS_TABSTOP;
            break;
        case Kind::RadioButton:
            s |= BS_RADIOBUTTON | WS_TABSTOP;
            break;
        case Kind::GroupBox:
            s |= BS_GROUPBOX;
            break;
        case Kind::Static:
            // No mnemonics: the program shows file names, which may hold an "&".
            s |= SS_NOPREFIX | ((st & style::Center)  ? SS_CENTER
                                : (st & style::Right) ? SS_RIGHT
                                                      : SS_LEFT);
            if (st & style::VCenter) s |= SS_CENTERIMAGE;
            break;
        case Kind::Edit:
            s |= WS_TABSTOP;
            if (st & style::Center) s |= ES_CENTER;
            if (st & style::Right) s |= ES_RIGHT;
            if (st & style::Multiline) s |= ES_MULTILINE;
            if (st & style::UpperCase) s |= ES_UPPERCASE;
            if (st & style::Number) s |= ES_NUMBER;
            if (st & style::VScroll) s |= WS_VSCROLL;
            if (st & style::AutoHScroll) s |= ES_AUTOHSCROLL;
            if (st & style::AutoVScroll) s |= ES_AUTOVSCROLL;
            if (st & style::Border) s |= WS_BORDER;
            if (st & style::ReadOnly) s |= ES_READONLY;
            break;
        case Kind::ComboBox:
            s |= CBS_DROPDOWN | WS_TABSTOP;
            if (st & style::VScroll) s |= WS_VSCROLL;
            break;
        case Kind::Progress:
            s |= WS_BORDER;
            break;
    }
    return s;
}

std::vector<std::uint8_t> buildDialogTemplate(const DialogTemplate& t) {
    TemplateWriter out;
    out.word(1);       // dlgVer
    out.word(0xFFFF);  // signature: DLGTEMPLATEEX
    out.dword(0);      // helpID
    out.dword(0);      // exStyle
    out.dword(dialogStyle(t));
    out.word(static_cast<WORD>(t.controlCount));
    out.shortInt(static_cast<short>(t.x));
    out.shortInt(static_cast<short>(t.y));
    out.shortInt(static_cast<short>(t.cx));
    out.shortInt(static_cast<short>(t.cy));
    out.word(0);  // no menu
    out.text(t.className);
    out.text(t.title);
    out.word(static_cast<WORD>(t.pointSize > 0 ? t.pointSize : 8));
    out.word(FW_NORMAL);
    out.byte(FALSE);  // italic
    out.byte(DEFAULT_CHARSET);
    out.text(t.font ? t.font : "MS Shell Dlg");
    for (std::size_t i = 0; i < t.controlCount; ++i) {
        const ControlTemplate& c = t.controls[i];
        out.alignDword();
        out.dword(0);  // helpID
        out.dword(0);  // exStyle
        out.dword(controlStyle(c));
        out.shortInt(static_cast<short>(c.x));
        out.shortInt(static_cast<short>(c.y));
        out.shortInt(static_cast<short>(c.cx));
        out.shortInt(static_cast<short>(c.cy));
        out.dword(static_cast<DWORD>(c.id));
        switch (c.kind) {
            case Kind::PushButton:
            case Kind::CheckBox:
            case Kind::RadioButton:
            case Kind::GroupBox:
                out.ordinal(kButtonClass);
                break;
            case Kind::Static:
                out.ordinal(kStaticClass);
                break;
            case Kind::Edit:
                out.ordinal(kEditClass);
                break;
            case Kind::ComboBox:
                out.ordinal(kComboBoxClass);
                break;
            case Kind::Progress:
                out.text(PROGRESS_CLASSA);
                break;
        }
        // A combo box's caption is not its text, as in the model.
        out.text(c.kind == Kind::ComboBox ? nullptr : c.caption);
        out.word(0);  // no creation data
    }
    return out.take();
}

// ---- The host -------------------------------------------------------------------------

Win32Host::Win32Host(HINSTANCE instance, int iconId) : instance_(instance) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PROGRESS_CLASS | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    if (iconId) {
        icon_ = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(iconId), IMAGE_ICON,
                                              GetSystemMetrics(SM_CXICON),
                                              GetSystemMetrics(SM_CYICON), 0));
        smallIcon_ = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(iconId), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON),
                                                   GetSystemMetrics(SM_CYSMICON), 0));
    }
    // The annotation service is a COM object; a thread that has COM already
    // (in another mode) keeps it as it is.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    comStarted_ = SUCCEEDED(com);
    void* props = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IAccPropServices, &props)))
        props_ = static_cast<IAccPropServices*>(props);
    annotate = [this](const Annotation& a) { annotateByService(a); };
}

Win32Host::~Win32Host() {
    for (auto& [w, v] : modelessViews())
        if (v->hwnd) DestroyWindow(v->hwnd);
    modelessViews().clear();
    if (icon_) DestroyIcon(icon_);
    if (smallIcon_) DestroyIcon(smallIcon_);
    if (props_) props_->Release();
    if (comStarted_) CoUninitialize();
}

void Win32Host::annotateByService(const Annotation& a) {
    if (!props_) return;
    if (a.kind == Annotation::Kind::StatusBar || a.kind == Annotation::Kind::LiveRegion) {
        VARIANT value;
        VariantInit(&value);
        value.vt = VT_I4;
        value.lVal = a.kind == Annotation::Kind::StatusBar ? ROLE_SYSTEM_STATUSBAR : kPoliteLive;
        props_->SetHwndProp(a.control, OBJID_CLIENT, CHILDID_SELF,
                            a.kind == Annotation::Kind::StatusBar ? PROPID_ACC_ROLE : kLiveSetting,
                            value);
        return;
    }
    // In the ANSI code page, as every text of this host.
    const int n = MultiByteToWideChar(CP_ACP, 0, a.text.c_str(), -1, nullptr, 0);
    std::wstring text(static_cast<std::size_t>(n > 0 ? n : 1), L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, a.text.c_str(), -1, text.data(), n);
    const MSAAPROPID prop =
        a.kind == Annotation::Kind::Name ? PROPID_ACC_NAME : PROPID_ACC_DESCRIPTION;
    props_->SetHwndPropStr(a.control, OBJID_CLIENT, a.child, prop, text.c_str());
}

void Win32Host::clearAnnotations(HWND control, LONG child) {
    if (!props_) return;
    MSAAPROPID props[] = {PROPID_ACC_NAME, PROPID_ACC_DESCRIPTION, PROPID_ACC_ROLE, kLiveSetting};
    props_->ClearHwndProps(control, OBJID_CLIENT, child, props, 4);
}

void Win32Host::announce(Window& w) {
    View* v = viewOf(w);
    if (!v || !v->hwnd) return;
    if (!v->notice) {
        // Of no size, out of the tab order: heard, never seen.
        v->notice = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_NOPREFIX, 0, 0, 0,
                                    0, v->hwnd, nullptr, instance_, nullptr);
        if (!v->notice) return;
        ui::annotate(*v, v->notice, Annotation::Kind::LiveRegion);
    }
    SetWindowTextA(v->notice, w.announcement.c_str());
    NotifyWinEvent(kLiveRegionChanged, v->notice, OBJID_CLIENT, CHILDID_SELF);
}

// A template that names a window class (the main window's) needs that class
// registered as a dialog class, with the program's icon.
void Win32Host::registerClass(const char* name) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExA(instance_, name, &wc)) return;
    wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefDlgProcA;
    wc.cbWndExtra = DLGWINDOWEXTRA;
    wc.hInstance = instance_;
    wc.hIcon = icon_;
    wc.hIconSm = smallIcon_;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = name;
    RegisterClassExA(&wc);
}

void Win32Host::runModal(Window& w) {
    if (w.tmpl->className) registerClass(w.tmpl->className);
    const std::vector<std::uint8_t> bytes = buildDialogTemplate(*w.tmpl);
    View view;
    view.w = &w;
    view.host = this;
    view.modal = true;
    Creation made{&view, icon_, smallIcon_, true};
    // Windows runs the loop; dialogEnded's EndDialog ends it, and the window is
    // gone (WM_NCDESTROY has unlinked the view) when this returns.
    const INT_PTR r =
        DialogBoxIndirectParamA(instance_, reinterpret_cast<LPCDLGTEMPLATEA>(bytes.data()),
                                ownerHandle(w.owner), dialogProc, reinterpret_cast<LPARAM>(&made));
    if (r == -1 && !w.ended) {
        // No window could be made: end the run as a close box would, so that
        // the caller is not left waiting.
        w.view = nullptr;
        w.ended = true;
    }
}

void Win32Host::opened(Window& w) {
    if (w.tmpl->className) registerClass(w.tmpl->className);
    const std::vector<std::uint8_t> bytes = buildDialogTemplate(*w.tmpl);
    auto view = std::make_unique<View>();
    view->w = &w;
    view->host = this;
    Creation made{view.get(), icon_, smallIcon_, false};
    HWND hwnd = CreateDialogIndirectParamA(
        instance_, reinterpret_cast<LPCDLGTEMPLATEA>(bytes.data()), ownerHandle(w.owner),
        dialogProc, reinterpret_cast<LPARAM>(&made));
    if (hwnd) modelessViews()[&w] = std::move(view);
}

// A loop for a window opened without one, as DialogBox runs it: the owner
// disabled, dialog keys handled, until the dialog has ended.
void Win32Host::modalLoop(Window& w) {
    View* v = viewOf(w);
    if (!v || w.ended) return;
    HWND owner = GetWindow(v->hwnd, GW_OWNER);
    const bool ownerEnabled = owner && IsWindowEnabled(owner);
    if (ownerEnabled) EnableWindow(owner, FALSE);
    ShowWindow(v->hwnd, SW_SHOW);
    MSG msg;
    while (!w.ended) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (!v->hwnd || !IsDialogMessageA(v->hwnd, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (!viewOf(w)) break;
    }
    if (ownerEnabled) EnableWindow(owner, TRUE);
}

void Win32Host::closed(Window& w) {
    auto& views = modelessViews();
    auto it = views.find(&w);
    if (View* v = viewOf(w); v && v->hwnd) DestroyWindow(v->hwnd);
    if (it != views.end()) views.erase(it);
    w.view = nullptr;
}

void Win32Host::changed(Window& w, int id) {
    if (View* v = viewOf(w); v && v->hwnd) mirror(*v, id);
}

void Win32Host::dialogEnded(Window& w) {
    View* v = viewOf(w);
    if (!v || !v->hwnd) return;
    if (v->modal) {
        EndDialog(v->hwnd, w.result);
    } else {
        ShowWindow(v->hwnd, SW_HIDE);
        PostMessageA(v->hwnd, WM_NULL, 0, 0);  // wakes modalLoop to see the end
    }
}

void Win32Host::timerChanged(Window& w, int timerId) {
    View* v = viewOf(w);
    if (!v || !v->hwnd) return;
    auto it = w.timers.find(timerId);
    if (it == w.timers.end())
        KillTimer(v->hwnd, static_cast<UINT_PTR>(timerId));
    else
        SetTimer(v->hwnd, static_cast<UINT_PTR>(timerId), static_cast<UINT>(it->second), nullptr);
}

void Win32Host::repaint(Window& w) {
    View* v = viewOf(w);
    if (!v || !v->hwnd || !onWindowThread(v->hwnd)) return;
    // Paint what the model changed; input and timer messages stay queued, as
    // they do while a Windows program blocks in a long operation.
    RedrawWindow(v->hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    MSG msg;
    for (int i = 0; i < 256 && PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++i)
        DispatchMessageA(&msg);
}

void Win32Host::appendTextSync(Window& w, int id, const std::string& s) {
    View* v = viewOf(w);
    if (!v || !v->hwnd) return;
    if (onWindowThread(v->hwnd)) return appendNow(*v, id, s);
    // The worker waits until the window's thread has the text in; that thread
    // must therefore never wait for the worker.
    SendMessageA(v->hwnd, kAppendMessage, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&s));
}

int Win32Host::messageBox(Window* owner, const std::string& text, const std::string& caption,
                          Icon icon) {
    MessageBoxA(ownerHandle(owner), text.c_str(), caption.c_str(),
                MB_OK | (icon == Icon::Warning ? MB_ICONWARNING : 0));
    return 1;
}

std::optional<std::string> Win32Host::fileDialog(Window* owner, const FileDialogRequest& request) {
    char file[4096] = {};
    std::string folder;
    if (!request.initialPath.empty()) {
        const DWORD attributes = GetFileAttributesA(request.initialPath.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            folder = request.initialPath;
        } else {
            // A file or a pattern: its folder to start in, its name in the name field.
            const std::size_t slash = request.initialPath.find_last_of("\\/");
            const std::string name = slash == std::string::npos
                                         ? request.initialPath
                                         : request.initialPath.substr(slash + 1);
            if (slash != std::string::npos) folder = request.initialPath.substr(0, slash);
            lstrcpynA(file, name.c_str(), sizeof file);
        }
    }
    const std::string filter = filterString(request);
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = ownerHandle(owner);
    ofn.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(request.initialFilter + 1);
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.lpstrTitle = request.title.empty() ? nullptr : request.title.c_str();
    ofn.lpstrDefExt = request.defaultExtension.empty() ? nullptr : request.defaultExtension.c_str();
    // The program's dialogs never ask before replacing a file.
    ofn.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_EXPLORER;
    if (!request.save && request.mustExist) ofn.Flags |= OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    const BOOL chosen = request.save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
    if (!chosen) return std::nullopt;
    return std::string(file);
}

std::string filterString(const FileDialogRequest& request) {
    std::string s;
    for (const auto& [name, patterns] : request.filters) {
        s += name;
        s += '\0';
        s += patterns;
        s += '\0';
    }
    return s;  // c_str() adds the second terminator of the last pair
}

int Win32Host::focusedControl(const Window& w) {
    View* v = viewOf(w);
    HWND f = GetFocus();
    if (!v || !v->hwnd || !f || !IsChild(v->hwnd, f)) return 0;
    while (GetParent(f) != v->hwnd) f = GetParent(f);  // a list's text part: the list
    return GetDlgCtrlID(f);
}

void Win32Host::setFocus(Window& w, int id, bool selectText) {
    View* v = viewOf(w);
    HWND h = v && v->hwnd ? GetDlgItem(v->hwnd, id) : nullptr;
    if (!h) return;
    // As Tab moves it: the dialog manager keeps its default button right.
    SendMessageA(v->hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(h), TRUE);
    if (!selectText) return;
    const Kind kind = control(w, id).kind;
    if (kind == Kind::Edit) SendMessageA(h, EM_SETSEL, 0, -1);
    if (kind == Kind::ComboBox) SendMessageA(h, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
}

HWND windowHandle(const Window& w) {
    View* v = viewOf(w);
    return v ? v->hwnd : nullptr;
}

HWND noticeHandle(const Window& w) {
    View* v = viewOf(w);
    return v ? v->notice : nullptr;
}

HWND controlHandle(const Window& w, int id) {
    HWND hwnd = windowHandle(w);
    return hwnd ? GetDlgItem(hwnd, id) : nullptr;
}

Window* windowOf(HWND hwnd) {
    View* v = viewOfHandle(hwnd);
    return v ? v->w : nullptr;
}

// ---- Screenshots -------------------------------------------------------------------------

bool saveWindowBitmap(HWND hwnd, const std::string& path) {
    RECT r;
    if (!hwnd || !GetWindowRect(hwnd, &r)) return false;
    RedrawWindow(hwnd, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    const int width = r.right - r.left, height = r.bottom - r.top;
    HDC window = GetWindowDC(hwnd);
    HDC memory = CreateCompatibleDC(window);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = height;  // bottom-up, as a BMP file stores rows
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(window, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        ok = BitBlt(memory, 0, 0, width, height, window, 0, 0, SRCCOPY) != FALSE;
        GdiFlush();
        SelectObject(memory, old);
    }
    if (ok) {
        const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
        const DWORD imageSize = stride * static_cast<DWORD>(height);
        BITMAPFILEHEADER fh{};
        fh.bfType = 0x4D42;  // "BM"
        fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
        fh.bfSize = fh.bfOffBits + imageSize;
        bi.bmiHeader.biSizeImage = imageSize;
        FILE* f = std::fopen(path.c_str(), "wb");
        ok = f && std::fwrite(&fh, sizeof fh, 1, f) == 1 &&
             std::fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f) == 1 &&
             std::fwrite(bits, imageSize, 1, f) == 1;
        if (f) ok = std::fclose(f) == 0 && ok;
    }
    if (bitmap) DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(hwnd, window);
    return ok;
}

}  // namespace ui
