#include "common/app_state.h"

namespace zt {

AppState appState;
std::int32_t comPortNumber = 0;

void ResetSharedState() {
    appState = AppState{};
    comPortNumber = 0;
}

}  // namespace zt
