#include "app/config_status.h"

#include "ui/ui.h"

namespace zt {

void ShowConfigStatus(ConfigStatus status) {
    if (const char* text = ConfigStatusText(status))
        ui::messageBox(nullptr, text, "Error", ui::Icon::Warning);
}

}  // namespace zt
