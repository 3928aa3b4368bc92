#include "system/device_access.h"

#include <algorithm>
#include <cstdio>

namespace zt {

std::string DeniedAdvice(unsigned mode, unsigned gid, const std::string& group,
                         const std::vector<unsigned>& userGroups) {
    constexpr unsigned kGroupReadWrite = 0060;
    const std::string name = group.empty() ? std::to_string(gid) : group;
    if ((mode & kGroupReadWrite) != kGroupReadWrite || gid == 0) {
        char bits[8];
        std::snprintf(bits, sizeof bits, "%04o", mode & 07777);
        return "only root may open it (group " + name + ", mode " + bits +
               "): a console, most likely, not the keyer's port";
    }
    if (std::find(userGroups.begin(), userGroups.end(), gid) != userGroups.end()) return {};
    return "add your user to the " + name + " group and log in again";
}

}  // namespace zt
