#include "app/setting_controls.h"

#include <string>

namespace zt {

void FillSettingLists(ui::Window& w, std::span<const SettingControl> controls) {
    for (const SettingControl& c : controls) {
        if (c.setting->kind != Kind::Choice) continue;
        ui::comboReset(w, c.control);
        ui::comboAddAll(w, c.control, c.setting->entries);
    }
}

void ShowSettings(ui::Window& w, const SettingsImage& image, User user,
                  std::span<const SettingControl> controls) {
    for (const SettingControl& c : controls) {
        const std::optional<std::int64_t> value = ValueOf(image, user, *c.setting);
        if (!value) continue;
        switch (c.setting->kind) {
            case Kind::Number:
                ui::setText(w, c.control, std::to_string(*value));
                break;
            case Kind::Flag:
                ui::check(w, c.control, *value != 0);
                break;
            case Kind::Choice:
                ui::comboSelect(w, c.control, static_cast<int>(*value));
                break;
            case Kind::Text:
                break;
        }
    }
}

}  // namespace zt
