#pragma once
// Keyer detection: is a keyer there, is its firmware running or only its
// boot loader, and which chip and firmware revision it is.

#include <string>

#include "platform/ui.h"

namespace zt {

constexpr int kDetectFailed = -1;
constexpr int kDetectBootLoaderOnly = 5;

// Writes its texts into the link status line and the chip label of w when w
// has them; returns -1, 5, or the firmware's major revision.
int DetectKeyer(ui::Window& w);

// Link status texts for OpenPort's failure codes.
const char* OpenFailureText(int code);

// The chip label and the revision text for the identity detection left.
std::string ChipLabel(int variant);
std::string RevisionText(int variant, int major, int minor);

// The supply voltage field's text for a reading (0 cannot be divided by).
std::string SupplyText(int reading);

}  // namespace zt
