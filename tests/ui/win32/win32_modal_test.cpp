// The message box and file dialogs of the Win32 host.

#include <functional>
#include <string>

#include "win32_fixture.h"

namespace zttest {
namespace {

// A shown top-level window of this thread, not one of the host's dialogs (a
// message box, a file dialog), that meets test; nullptr for none.
HWND systemWindow(const std::function<bool(HWND)>& test) {
    std::pair<const std::function<bool(HWND)>*, HWND> find{&test, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND h, LPARAM lp) {
            auto* f = reinterpret_cast<decltype(find)*>(lp);
            if (IsWindowVisible(h) && !ui::windowOf(h) && (*f->first)(h)) f->second = h;
            return f->second ? FALSE : TRUE;
        },
        reinterpret_cast<LPARAM>(&find));
    return find.second;
}

HWND systemDialog(const std::string& caption) {
    return systemWindow([&](HWND h) { return textOf(h) == caption; });
}

using Win32Dialogs = Win32HostTest;

TEST_F(Win32Dialogs, AMessageBoxShowsCaptionTextIconAndOnlyOk) {
    std::string text;
    bool icon = false, cancel = true;
    poll([&] {
        HWND box = systemDialog("Error");
        if (!box) return false;
        text = textOf(GetDlgItem(box, 0xFFFF));  // the message box's text control
        icon = SendDlgItemMessageA(box, 0x0440, STM_GETICON, 0, 0) != 0;
        cancel = GetDlgItem(box, IDCANCEL) != nullptr;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        return true;
    });
    EXPECT_EQ(ui::messageBox(nullptr, "ZT not connected", "Error", ui::Icon::Warning), 1);
    EXPECT_EQ(text, "ZT not connected");
    EXPECT_TRUE(icon);
    EXPECT_FALSE(cancel);
}

// Explorer-style common dialogs: the name field is combo 0x47C, the list of
// filters combo 0x470.
constexpr int kNameField = 0x47C;
constexpr int kFilterList = 0x470;

TEST_F(Win32Dialogs, SavingAddsTheDefaultExtensionAndCancelGivesNothing) {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string folder = std::string(temp) + "zt-save-test";
    CreateDirectoryA(folder.c_str(), nullptr);
    ui::FileDialogRequest r;
    r.save = true;
    r.title = "Save Settings";
    r.filters = {{"Settings Files (*.eep)", "*.eep"}, {"All Documents (*.*)", "*.*"}};
    r.defaultExtension = "eep";
    r.initialPath = folder;
    std::vector<std::string> filters;
    poll([&] {
        HWND d = systemDialog("Save Settings");
        if (!d) return false;
        HWND list = GetDlgItem(d, kFilterList);
        for (int i = 0; i < SendMessageA(list, CB_GETCOUNT, 0, 0); ++i) {
            char entry[128] = {};
            SendMessageA(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry));
            filters.push_back(entry);
        }
        SetDlgItemTextA(d, kNameField, "keyer");
        PostMessageA(d, WM_COMMAND, IDOK, 0);
        return true;
    });
    const std::optional<std::string> chosen = ui::fileDialog(nullptr, r);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(*chosen, folder + "\\keyer.eep");
    EXPECT_EQ(filters, (std::vector<std::string>{"Settings Files (*.eep)", "All Documents (*.*)"}));

    r.save = false;
    poll([&] {
        HWND d = systemDialog("Save Settings");
        if (d) PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
        return d != nullptr;
    });
    EXPECT_EQ(ui::fileDialog(nullptr, r), std::nullopt);
    RemoveDirectoryA(folder.c_str());
}

TEST_F(Win32Dialogs, AnOpenDialogPresetsItsFilterAndNameAndRefusesMissingFilesWhenAsked) {
    ui::FileDialogRequest r;
    r.title = "Open Image";
    r.filters = {{"All files", "*.*"}, {"Bin Files", "*.bin"}};
    r.initialFilter = 1;
    r.initialPath = "*.bin";
    r.mustExist = true;
    int selected = -1;
    std::string name;
    bool refused = false;
    poll([&] {
        HWND d = systemDialog("Open Image");
        if (!d) return false;
        selected = static_cast<int>(SendDlgItemMessageA(d, kFilterList, CB_GETCURSEL, 0, 0));
        name = textOf(GetDlgItem(d, kNameField));
        SetDlgItemTextA(d, kNameField, "C:\\no-such-folder\\missing.bin");
        PostMessageA(d, WM_COMMAND, IDOK, 0);
        // A missing file is refused with a message box over the dialog, which
        // stays open; then cancel both.
        poll([&, d] {
            HWND warning = systemWindow([d](HWND h) { return GetWindow(h, GW_OWNER) == d; });
            if (!warning) return false;
            refused = IsWindowVisible(d);
            PostMessageA(warning, WM_COMMAND, IDOK, 0);
            PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
            return true;
        });
        return true;
    });
    EXPECT_EQ(ui::fileDialog(nullptr, r), std::nullopt);
    EXPECT_EQ(selected, 1);
    EXPECT_EQ(name, "*.bin");  // the name field starts with the pattern
    EXPECT_TRUE(refused);
}

}  // namespace
}  // namespace zttest
