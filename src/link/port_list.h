#pragma once
// The COM ports that are present, as the port selection dialog and ztcli
// list them.

#include <string>
#include <vector>

#include "system/serial.h"

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

}  // namespace zt
