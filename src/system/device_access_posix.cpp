#include "system/device_access.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace zt {

std::string DeniedAdvice(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return {};  // 0, or -1 with errno
    std::vector<char> buffer(4096);
    group entry{}, *found = nullptr;
    // 0 with found set; found stays null when there is no such group or an error
    getgrgid_r(st.st_gid, &entry, buffer.data(), buffer.size(), &found);
    // getgroups: how many groups there are (stored when there is room), or -1 with errno
    std::vector<gid_t> ids(static_cast<std::size_t>(std::max(getgroups(0, nullptr), 0)));
    if (getgroups(static_cast<int>(ids.size()), ids.data()) < 0) ids.clear();
    std::vector<unsigned> groups(ids.begin(), ids.end());
    groups.push_back(getegid());
    return DeniedAdvice(st.st_mode, st.st_gid, found ? found->gr_name : "", groups);
}

}  // namespace zt
