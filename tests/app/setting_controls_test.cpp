// The bindings against the templates. That every setting is bound once the
// compiler checks (setting_controls.h); here, that each bound control is in
// its dialog and can show its setting, and that every control of the editor
// and the RTTY dialog that holds a value shows a setting.
#include "app/setting_controls.h"

#include <gtest/gtest.h>

#include <span>

#include "resources/templates.h"

namespace zt {
namespace {

// Numbers in plain edits, messages in upper-case ones, flags in check boxes,
// entries in lists.
bool CanShow(const ui::ControlTemplate& c, const Setting& s) {
    const bool upper = (c.style & ui::style::UpperCase) != 0;
    switch (s.kind) {
        case Kind::Number:
            return c.kind == ui::Kind::Edit && !upper;
        case Kind::Text:
            return c.kind == ui::Kind::Edit && upper;
        case Kind::Flag:
            return c.kind == ui::Kind::CheckBox;
        case Kind::Choice:
            return c.kind == ui::Kind::ComboBox;
    }
    return false;
}

bool HoldsAValue(ui::Kind kind) {
    return kind == ui::Kind::Edit || kind == ui::Kind::CheckBox || kind == ui::Kind::ComboBox;
}

TEST(SettingControls, EachSettingsControlIsInItsDialogAndEachValueControlShowsASetting) {
    struct Dialog {
        const ui::DialogTemplate& tmpl;
        std::span<const SettingControl> bound;
    };
    for (const Dialog& d : {Dialog{kMainTemplate, kMainControls}, {kRttyTemplate, kRttyControls}}) {
        const std::span<const ui::ControlTemplate> controls{d.tmpl.controls, d.tmpl.controlCount};
        for (const SettingControl& b : d.bound) {
            const auto c =
                std::find_if(controls.begin(), controls.end(),
                             [&](const ui::ControlTemplate& t) { return t.id == b.control; });
            ASSERT_NE(c, controls.end()) << b.setting->name << " in dialog " << d.tmpl.id;
            EXPECT_TRUE(CanShow(*c, *b.setting)) << b.setting->name << ": control " << c->id;
        }
        for (const ui::ControlTemplate& c : controls) {
            if (!HoldsAValue(c.kind)) continue;
            EXPECT_NE(SettingOf(d.bound, c.id), nullptr) << "dialog " << d.tmpl.id << ": " << c.id;
        }
    }
}

}  // namespace
}  // namespace zt
