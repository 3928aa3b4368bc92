#pragma once
// What assistive technology learns of the Qt host's widgets beyond what Qt
// tells it by itself. Internal to the Qt host.

namespace ui::qtview {

// Installs, once per program, the accessible interfaces of the widgets that
// Qt would misreport:
// - radio buttons the program checks itself (not auto-exclusive), which Qt
//   reports as check boxes;
// - editable lists, which Qt on Linux names after their current entry, not
//   after their label;
// - the status bar's holder (StatusArea), reported as a status bar;
// - the window's notice, a notification named by the last result;
// - a window without an owner (the main window), reported as a frame.
void installAccessibleInterfaces();

}  // namespace ui::qtview
