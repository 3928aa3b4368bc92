// zttools FILE: the window opens, then reads FILE as Read Config File does.
#include "app/startup.h"

#include <gtest/gtest.h>

#include <fstream>

#include "app/setting_controls.h"
#include "resources/ids.h"
#include "settings/messages.h"
#include "settings/schema.h"
#include "settings/settings_file.h"
#include "support/app_fixture.h"

namespace zt {
namespace {

using testing::AppTest;

TEST_F(AppTest, AFileNamedAtStartIsReadOnceTheWindowStandsWithReadConfigFilesWords) {
    SettingsImage image{};
    LoadDefaults(image);
    MessageTexts texts{"CQ TEST"};
    ASSERT_FALSE(EncodeMessages(texts, image));
    ASSERT_EQ(WriteSettingsFile(dir.path() + "/keyer.eep", image), SettingsFileResult::Ok);
    std::ofstream(dir.path() + "/short.eep") << "ten bytes!";
    // Msg 1 before and after the file's timer (2) ticks twice, and the message line.
    std::string seen;
    const auto look = [&](ui::Window& w) {
        seen = ui::getText(w, kMessageEdits[0]) + "|";
        host().tick(w, 2, 2);
        seen += ui::getText(w, kMessageEdits[0]) + "|" + ui::getText(w, ids::kMessageLine);
        ui::closeBox(w);
    };
    host().onModal(ids::kMainDialog, look);
    EXPECT_EQ(RunProgram(dir.path() + "/keyer.eep"), 0);
    EXPECT_EQ(seen, "|CQ TEST|EEP FileName: keyer.eep");
    EXPECT_EQ(appState.image, image);

    // Refused as the button refuses it: its box over the window, image kept.
    appState = AppState{};
    host().onModal(ids::kMainDialog, look);
    EXPECT_EQ(RunProgram(dir.path() + "/short.eep"), 0);
    EXPECT_EQ(seen, "||EEP FileName: short.eep");
    EXPECT_EQ(appState.image, SettingsImage{});
    ASSERT_EQ(host().messageBoxes.size(), 1u);  // none for the good file
    EXPECT_EQ(host().messageBoxes[0].text, "Invalid file.");
    EXPECT_NE(host().messageBoxes[0].owner, nullptr);
}

}  // namespace
}  // namespace zt
