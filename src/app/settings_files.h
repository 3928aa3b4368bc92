#pragma once
// "Read Config File" and "Write Config File": the whole image from and to a
// settings file chosen in a file dialog. The callers refresh or store the
// controls around these.

#include <string>

#include "ui/ui.h"

namespace zt {

// Asks for a file and reads it into the image; false when cancelled or when
// the file was refused (an "Error" box owned by w says why; image unchanged).
bool LoadSettingsFile(ui::Window& w);
// The same with the file already chosen (zttools FILE).
bool LoadSettingsFile(ui::Window& w, const std::string& path);
// Asks for a file and saves the image to it; false when cancelled or failed.
bool SaveSettingsFile(ui::Window& w);

}  // namespace zt
