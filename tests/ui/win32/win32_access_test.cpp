// What the Win32 host adds for assistive technology and the keyboard: access
// keys, the focus, and the names, descriptions and status bar role it hands to
// the annotation service. Whether a screen reader then reads them is for a
// real Windows machine to show: Wine's annotation service is a stub.

#include <algorithm>

#include "resources/ids.h"
#include "resources/templates.h"
#include "win32_fixture.h"

namespace zttest {
namespace {

using Win32Access = Win32HostTest;

// The focus the user gives is told; an access key clicks its button from
// anywhere; the program places the focus, an edit's text selected.
TEST_F(Win32Access, TheFocusIsToldAndPlacedAndAnAccessKeyClicksFromAnywhere) {
    ui::Window& w = open(kTest);
    focus(item(w, kUpper));
    EXPECT_EQ(ui::focusedControl(w), kUpper);
    sendInputs({keyInput(VK_MENU, false), keyInput('G', false), keyInput('G', true),
                keyInput(VK_MENU, true)});
    EXPECT_EQ(messages, std::vector<ui::Message>{command(kGo)});
    EXPECT_EQ(ui::getText(w, kUpper), "START");  // no "G" typed
    ui::setFocus(w, kList);                      // the focus goes to its text part
    pump();
    EXPECT_EQ(ui::focusedControl(w), kList);
    ui::setFocus(w, kUpper, true);
    pump();
    EXPECT_EQ(GetFocus(), item(w, kUpper));
    DWORD from = 1, to = 0;
    SendMessageA(item(w, kUpper), EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                 reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(from, 0u);
    EXPECT_EQ(to, 5u);  // "START"

    // Placed by the procedure's Init (not on the first control), it stays.
    std::unique_ptr<ui::Window> d =
        ui::openWindow(kTest, nullptr, [](ui::Window& win, const ui::Message& m) {
            if (m.msg == ui::Msg::Init) ui::setFocus(win, kDigits);
            return 1;
        });
    ShowWindow(ui::windowHandle(*d), SW_SHOW);
    pump();
    EXPECT_EQ(GetFocus(), item(*d, kDigits));
    ui::closeWindow(*d);
}

// Every control of every window that needs a name is given the model's; the
// status bar's fields are given its role; a description follows the model.
TEST_F(Win32Access, EachControlIsAnnotatedWithTheModelsName) {
    std::vector<ui::Annotation> said;
    host.annotate = [&](const ui::Annotation& a) { said.push_back(a); };
    auto find = [&](HWND h, ui::Annotation::Kind kind) -> const ui::Annotation* {
        auto it = std::find_if(said.begin(), said.end(), [&](const ui::Annotation& a) {
            return a.control == h && a.kind == kind;
        });
        return it == said.end() ? nullptr : &*it;
    };
    int named = 0, bars = 0;
    for (const ui::DialogTemplate* t : zt::kAllTemplates) {
        ui::Window& w = open(*t);
        for (const auto& [id, c] : w.controls) {
            SCOPED_TRACE(w.title + ", " + std::to_string(id));
            const ui::Annotation* name = find(item(w, id), ui::Annotation::Kind::Name);
            if (ui::needsName(c.kind)) {
                ASSERT_TRUE(name);
                EXPECT_EQ(name->text, c.name);
                ++named;
            } else {
                EXPECT_FALSE(name);
            }
            const bool bar = find(item(w, id), ui::Annotation::Kind::StatusBar) != nullptr;
            EXPECT_EQ(bar, (c.style & ui::style::StatusField) != 0);
            bars += bar;
        }
    }
    EXPECT_EQ(named, 81);
    EXPECT_EQ(bars, 3);

    ui::Window& w = open(zt::kMainTemplate);
    ui::setDescription(w, zt::ids::kWeight, "10 to 90");
    const ui::Annotation* description =
        find(item(w, zt::ids::kWeight), ui::Annotation::Kind::Description);
    ASSERT_TRUE(description);
    EXPECT_EQ(description->text, "10 to 90");

    // A list entry's description, on its child of the drop-down list.
    ui::Window& ports = open(zt::kPortTemplate);
    ui::comboAdd(ports, zt::ids::kPortList, "com3", 3);
    ui::comboSetItemDescription(ports, zt::ids::kPortList, 0, "/dev/ttyS2");
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetComboBoxInfo(item(ports, zt::ids::kPortList), &info));
    auto entry = std::find_if(said.begin(), said.end(), [&](const ui::Annotation& a) {
        return a.control == info.hwndList && a.child == 1;
    });
    ASSERT_NE(entry, said.end());
    EXPECT_EQ(entry->text, "/dev/ttyS2");
}

// A result is written into the window's notice, a live region, and its
// change is raised as an event for screen readers.
std::vector<HWND> liveChanges;
TEST_F(Win32Access, AResultIsALiveRegionChange) {
    std::vector<ui::Annotation> said;
    host.annotate = [&](const ui::Annotation& a) { said.push_back(a); };
    HWINEVENTHOOK hook = SetWinEventHook(
        0x8019, 0x8019, nullptr,  // EVENT_OBJECT_LIVEREGIONCHANGED
        [](HWINEVENTHOOK, DWORD, HWND h, LONG, LONG, DWORD, DWORD) { liveChanges.push_back(h); },
        GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ui::Window& w = open(kTest);
    ui::announce(w, "ZT IC: SMT, >ZT OK");
    pump();
    UnhookWinEvent(hook);
    HWND notice = ui::noticeHandle(w);
    ASSERT_TRUE(notice);
    EXPECT_EQ(textOf(notice), "ZT IC: SMT, >ZT OK");
    EXPECT_EQ(std::count(liveChanges.begin(), liveChanges.end(), notice), 1);
    EXPECT_TRUE(std::any_of(said.begin(), said.end(), [&](const ui::Annotation& a) {
        return a.control == notice && a.kind == ui::Annotation::Kind::LiveRegion;
    }));
}

}  // namespace
}  // namespace zttest
