#include "system/device_access.h"

#include <gtest/gtest.h>

namespace zt {
namespace {

// Joining the group is advised only where the group may read and write the
// device and the user is not in it yet; a device only root may open says so.
TEST(DeniedAdviceTest, JoiningTheGroupOnlyWhereItHelps) {
    const std::vector<unsigned> user = {1000, 24};
    EXPECT_EQ(DeniedAdvice(020660, 20, "dialout", user),
              "add your user to the dialout group and log in again");
    EXPECT_EQ(DeniedAdvice(020600, 0, "root", user),
              "only root may open it (group root, mode 0600): a console, most likely, not the "
              "keyer's port");
    EXPECT_EQ(DeniedAdvice(020620, 5, "tty", user).substr(0, 40),
              "only root may open it (group tty, mode 0");
    EXPECT_EQ(DeniedAdvice(020660, 0, "root", user).substr(0, 21), "only root may open it");
    EXPECT_EQ(DeniedAdvice(020660, 24, "cdrom", user), "");  // in it already: no advice helps
    EXPECT_EQ(DeniedAdvice(020660, 77, "", user),
              "add your user to the 77 group and log in again");  // a group without a name
}

}  // namespace
}  // namespace zt
