#include "app/session.h"

namespace zt {

AppState appState;
Port keyerPort;

PortTarget KeyerTarget() {
    return {appState.comPortNumber, {}};
}

}  // namespace zt
