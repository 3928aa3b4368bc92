#include "common/app_state.h"

namespace zt {

AppState appState;
std::uint8_t firmwareMajor = 0;
std::uint8_t firmwareMinor = 0;
std::int32_t comPortNumber = 0;

void ResetSharedState() {
    appState = AppState{};
    firmwareMajor = 0;
    firmwareMinor = 0;
    comPortNumber = 0;
}

}  // namespace zt
