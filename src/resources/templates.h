#pragma once
// The five dialog templates, as constant tables: the single source for both
// hosts and the rendered screenshots.

#include "ui/ui.h"

namespace zt {

extern const ui::DialogTemplate kMainTemplate;      // 1001
extern const ui::DialogTemplate kPortTemplate;      // 1002
extern const ui::DialogTemplate kUploaderTemplate;  // 1003
extern const ui::DialogTemplate kAboutTemplate;     // 1004
extern const ui::DialogTemplate kRttyTemplate;      // 1005

// All five, in id order.
extern const ui::DialogTemplate* const kAllTemplates[5];

// The program's icon (8001) as XPM text rows.
extern const char* const* const kIconXpm;

}  // namespace zt
