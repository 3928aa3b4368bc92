#include "system/device_access.h"

namespace zt {

std::string DeniedAdvice(const std::string&) {
    return {};  // Windows refuses a port for being held, never for want of permission
}

}  // namespace zt
