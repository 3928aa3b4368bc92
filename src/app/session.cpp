#include "app/session.h"

namespace zt {

AppState appState;
Port keyerPort;

}  // namespace zt
