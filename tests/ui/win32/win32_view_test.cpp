// An upper-case edit converts the program's text, and each template becomes
// a dialog of its size, font, styles and ids.

#include <cstring>

#include "resources/templates.h"
#include "win32_fixture.h"

namespace zttest {
namespace {

using Win32Mirror = Win32HostTest;

// Windows' upper-case edit converts the program's text too, not only the
// user's, and the model holds what the edit holds.
TEST_F(Win32Mirror, AnUpperCaseEditConvertsTheProgramsText) {
    ui::Window& w = open(kTest);
    EXPECT_EQ(textOf(item(w, kUpper)), "START");
    EXPECT_EQ(ui::getText(w, kUpper), "START");
    ui::setText(w, kText, "one\r\ntwo");
    EXPECT_EQ(textOf(item(w, kText)), "ONE\r\nTWO");
}

// ---- The real templates -------------------------------------------------------------

const char* className(ui::Kind k) {
    switch (k) {
        case ui::Kind::PushButton:
        case ui::Kind::CheckBox:
        case ui::Kind::RadioButton:
        case ui::Kind::GroupBox:
            return "Button";
        case ui::Kind::Static:
            return "Static";
        case ui::Kind::Edit:
            return "Edit";
        case ui::Kind::ComboBox:
            return "ComboBox";
        case ui::Kind::Progress:
            return "msctls_progress32";
    }
    return "";
}

using Win32Templates = Win32HostTest;

TEST_F(Win32Templates, EachTemplateIsADialogOfItsSizeFontAndControls) {
    for (const ui::DialogTemplate* t : zt::kAllTemplates) {
        ui::Window& w = open(*t);
        HWND dialog = ui::windowHandle(w);
        SCOPED_TRACE(t->title);
        EXPECT_EQ(textOf(dialog), t->title);
        LOGFONTA font{};
        GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)), sizeof font,
                   &font);
        EXPECT_STREQ(font.lfFaceName, t->font);
        HDC screen = GetDC(nullptr);
        EXPECT_EQ(-font.lfHeight, MulDiv(t->pointSize, GetDeviceCaps(screen, LOGPIXELSY), 72));
        ReleaseDC(nullptr, screen);
        EXPECT_EQ((GetWindowLongA(dialog, GWL_STYLE) & WS_MAXIMIZEBOX) != 0,
                  (t->style & ui::dstyle::MaximizeBox) != 0);

        RECT size{0, 0, t->cx, t->cy}, client;
        MapDialogRect(dialog, &size);
        GetClientRect(dialog, &client);
        EXPECT_EQ(client.right, size.right);
        EXPECT_EQ(client.bottom, size.bottom);

        for (std::size_t i = 0; i < t->controlCount; ++i) {
            const ui::ControlTemplate& c = t->controls[i];
            SCOPED_TRACE(c.id);
            HWND h = item(w, c.id);
            ASSERT_TRUE(h);
            char cls[64] = {};
            GetClassNameA(h, cls, sizeof cls);
            EXPECT_STRCASEEQ(cls, className(c.kind));
            if (c.kind != ui::Kind::ComboBox) {
                std::string shown = textOf(h);  // a wrapping caption in lines
                for (std::size_t at; (at = shown.find("\r\n")) != std::string::npos;)
                    shown.replace(at, 2, " ");
                EXPECT_EQ(shown, c.caption ? c.caption : "");
            }
            EXPECT_EQ(IsWindowVisible(h) != FALSE, !(c.style & ui::style::Hidden));
            EXPECT_EQ((GetWindowLongA(h, GWL_STYLE) & ES_UPPERCASE) != 0,
                      c.kind == ui::Kind::Edit && (c.style & ui::style::UpperCase));

            // Windows maps the place and the size each on its own.
            RECT place{c.x, c.y, c.cx, c.cy}, got;
            MapDialogRect(dialog, &place);
            GetWindowRect(h, &got);
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&got), 2);
            EXPECT_EQ(got.left, place.left);
            EXPECT_EQ(got.top, place.top);
            EXPECT_EQ(got.right - got.left, place.right);
            // A combo box's template height is its dropped-down list's.
            if (c.kind != ui::Kind::ComboBox) {
                EXPECT_EQ(got.bottom - got.top, place.bottom);
            }
        }
    }
}

}  // namespace
}  // namespace zttest
