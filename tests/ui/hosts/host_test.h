#pragma once
// What the tests of each real host (Qt, Win32) share: one window with a
// control of every kind, a child dialog, and a fixture that installs the host
// and opens windows that record the messages their procedure is given. The
// same checks run on every host; each host's driver says how a window is
// shown, which messages count, and how input reaches it.

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <memory>
#include <ostream>
#include <vector>

#include "ui/hosts/host_driver.h"
#include "ui/ui.h"

namespace ui {
inline bool operator==(const Message& a, const Message& b) {
    return a.msg == b.msg && a.id == b.id && a.code == b.code;
}
inline void PrintTo(const Message& m, std::ostream* os) {
    *os << "{" << static_cast<int>(m.msg) << ", " << m.id << ", " << m.code << "}";
}
}  // namespace ui

namespace zttest {

// One window with a control of every kind; no control has id 1 or 2.
enum { kGo = 10, kAuto, kManual, kRadio, kList, kUpper, kDigits, kText, kLabel, kBar, kWrap };
namespace st = ui::style;
constexpr ui::ControlTemplate kAll[] = {
    {kGo, ui::Kind::PushButton, "&Go", 4, 4, 40, 14, 0},  // Alt+G
    {kAuto, ui::Kind::CheckBox, "Auto", 4, 22, 60, 10, st::AutoCheck},
    {kManual, ui::Kind::CheckBox, "Manual", 4, 34, 60, 10, 0},
    {kRadio, ui::Kind::RadioButton, "Radio", 4, 46, 60, 10, 0},
    {kList, ui::Kind::ComboBox, "", 70, 4, 60, 60, st::VScroll},
    {kUpper, ui::Kind::Edit, "start", 70, 22, 60, 12, st::UpperCase | st::Border},
    {kDigits, ui::Kind::Edit, "", 70, 36, 60, 12, st::Number | st::Border},
    {kText, ui::Kind::Edit, "", 4, 60, 120, 30, st::Multiline | st::UpperCase | st::AutoVScroll},
    {kLabel, ui::Kind::Static, "Label", 70, 50, 60, 8, st::Hidden | st::Disabled},
    {kBar, ui::Kind::Progress, "", 4, 94, 120, 8, 0},
    {kWrap, ui::Kind::PushButton, "Reset to Defaults", 70, 104, 52, 20, st::Multiline},
};
constexpr ui::DialogTemplate kTest = {
    901, "Test", nullptr, 0, 0, 140, 130, "Tahoma", 8, ui::dstyle::SysMenu, kAll, std::size(kAll)};
constexpr ui::ControlTemplate kOkCancel[] = {
    {1, ui::Kind::PushButton, "OK", 4, 4, 40, 14, 0},
    {2, ui::Kind::PushButton, "Cancel", 48, 4, 40, 14, 0},
};
constexpr ui::DialogTemplate kChild = {902, "Child",  nullptr, 0, 0,         100,
                                       30,  "Tahoma", 8,       0, kOkCancel, std::size(kOkCancel)};

inline ui::Message command(int id, int code = 0) {
    return {ui::Msg::Command, id, code};
}

class HostTest : public ::testing::Test {
  protected:
    HostTest() : driver(makeHostDriver()), previous_(ui::currentHost()) {
        ui::setHost(&driver->host());
    }
    ~HostTest() override {
        for (auto& w : windows_) ui::closeWindow(*w);
        ui::setHost(previous_);
    }

    // A shown window without a loop; messages but Init that count are
    // recorded and answered by onMessage (handled when it is not set).
    ui::Window& open(const ui::DialogTemplate& t) {
        windows_.push_back(ui::openWindow(t, nullptr, [this](ui::Window& w, const ui::Message& m) {
            if (m.msg == ui::Msg::Init) return 0;
            if (driver->counts(w, m)) messages.push_back(m);
            return onMessage ? onMessage(w, m) : 1;
        }));
        driver->show(*windows_.back(), static_cast<int>(windows_.size() - 1));
        return *windows_.back();
    }

    std::unique_ptr<HostDriver> driver;
    std::vector<ui::Message> messages;
    std::function<int(ui::Window&, const ui::Message&)> onMessage;

  private:
    ui::Host* previous_;
    std::vector<std::unique_ptr<ui::Window>> windows_;
};

}  // namespace zttest
