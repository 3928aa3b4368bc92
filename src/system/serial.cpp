#include "system/serial.h"

#include <algorithm>
#include <climits>

namespace zt {

Deadline DeadlineIn(int ms) {
    return SerialClock::now() + std::chrono::milliseconds(std::max(ms, 0));
}

int RemainingMs(Deadline deadline, SerialClock::time_point now) {
    if (deadline <= now) return 0;
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
    return left > INT_MAX ? INT_MAX : static_cast<int>(left);
}

}  // namespace zt
