#pragma once
// What a user who may not open a device can do about it. Joining the
// device's group helps only where that group may read and write it; a device
// only root may open (a console: group tty or root, mode 0600 or 0620) is no
// keyer's port, and joining a group would not help. Each system's side of
// the look at the device is in device_access_posix.cpp or _win32.cpp.

#include <string>
#include <vector>

namespace zt {

// The advice for a device with these mode bits and group (its number and
// name), to a user whose programs run with userGroups: "add your user to the
// dialout group and log in again", that only root may open it, or empty
// when the user is in that group already and the system refuses for reasons
// of its own.
std::string DeniedAdvice(unsigned mode, unsigned gid, const std::string& group,
                         const std::vector<unsigned>& userGroups);

// The same for the device at path and this program's groups; empty when the
// device cannot be looked at, and on Windows, which refuses no port for want
// of permission.
std::string DeniedAdvice(const std::string& path);

}  // namespace zt
