#pragma once
// The port selection dialog: lists the COM ports present and lets the
// operator pick one. On OK it sets comPortNumber and ends with 1; keeping the
// choice in the configuration file is the caller's.

#include <string>
#include <vector>

#include "system/serial.h"
#include "ui/ui.h"

namespace zt {

constexpr int kHighestComPort = 50;

struct PortEntry {
    int number;
    std::string device;                        // what the number maps to
    std::string note;                          // empty when free; else why it cannot be opened now
    ProbeResult state = ProbeResult::Present;  // Present, Busy or Denied
};

// COM1 to COM50 in order; ports that exist are listed, free or not.
std::vector<PortEntry> ListPorts();

int PortDialogProc(ui::Window& w, const ui::Message& m);

}  // namespace zt
