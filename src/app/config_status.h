#pragma once

#include "common/config_file.h"

namespace zt {

// A configuration file failure as the operator sees it: a warning box with
// no owner. Nothing for Ok.
void ShowConfigStatus(ConfigStatus status);

}  // namespace zt
