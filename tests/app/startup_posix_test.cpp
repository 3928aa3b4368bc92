// Start-up with a configuration file that POSIX folders make unreadable.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/startup.h"
#include "resources/ids.h"
#include "support/app_fixture.h"

namespace zt {
namespace {

using testing::AppTest;

TEST_F(AppTest, StartUpShowsAnUnreadableFileAsAWarningAndRunsOnWithPortZero) {
    std::filesystem::create_directories(dir.path() + "/zttools/zttools.cfg");
    std::string label;
    host().onModal(ids::kMainDialog, [&](ui::Window& w) {
        label = ui::getText(w, ids::kPortLabel);
        ui::closeBox(w);
    });
    EXPECT_EQ(RunProgram(session), 0);
    EXPECT_EQ(label, "com:0");
    ASSERT_EQ(host().messageBoxes.size(), 1u);
    const ui::MessageBoxRecord& box = host().messageBoxes[0];
    EXPECT_EQ(box.text + "|" + box.caption, "Read file failed.|Error");
    EXPECT_TRUE(box.icon == ui::Icon::Warning && box.owner == nullptr);
}

}  // namespace
}  // namespace zt
