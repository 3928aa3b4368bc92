#pragma once
// The status area's timer work: the bytes-left display and the countdown
// that clears the operation state field after a keyer operation.

#include <initializer_list>

#include "ui/ui.h"

namespace zt {

constexpr int kStatusTimer = 1;
constexpr int kStatusTimerMs = 250;
constexpr int kCountdownTicks = 12;  // about 3 s of 250 ms ticks

// Characters in the fourteen message edits, visible or not; each edit counts
// at most kCountedPerMessage, a line break two.
int CountMessageText(ui::Window& w);
void StatusTick(ui::Window& w);
// Arms the countdown at the end of a Test, Read or Write.
void ArmStatusCountdown();
// Tells the result an operation left in the window's fields (ui::announce):
// their texts in this order, blank ones left out.
void AnnounceFields(ui::Window& w, std::initializer_list<int> fields);

}  // namespace zt
