// zttools FILE: the window opens, then reads FILE as Read Config File does.
#include "app/startup.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "app/setting_controls.h"
#include "resources/ids.h"
#include "settings/messages.h"
#include "settings/schema.h"
#include "settings/settings_file.h"
#include "support/app_fixture.h"

namespace zt {
namespace {

using testing::AppTest;

constexpr int kOpenFileTimer = 2;

struct Seen {
    std::string before, after, line;
};

class StartWithFile : public AppTest {
  protected:
    // Runs the program on path; what Msg 1 showed before and after the
    // file's timer ticked, and the message line then.
    Seen Start(const std::string& path) {
        Seen seen;
        host().onModal(ids::kMainDialog, [&](ui::Window& w) {
            seen.before = ui::getText(w, kMessageEdits[0]);
            host().tick(w, kOpenFileTimer);
            host().tick(w, kOpenFileTimer);  // once only: the timer stops itself
            seen.after = ui::getText(w, kMessageEdits[0]);
            seen.line = ui::getText(w, ids::kMessageLine);
            ui::closeBox(w);
        });
        EXPECT_EQ(RunProgram(path), 0);
        return seen;
    }
};

TEST_F(StartWithFile, AFileNamedAtStartIsReadOnceTheWindowStandsWithReadConfigFilesWords) {
    SettingsImage image{};
    LoadDefaults(image);
    MessageTexts texts{};
    texts[0] = "CQ TEST";
    ASSERT_FALSE(EncodeMessages(texts, image));
    const std::string good = dir.path() + "/keyer.eep";
    ASSERT_EQ(WriteSettingsFile(good, image), SettingsFileResult::Ok);
    Seen seen = Start(good);
    EXPECT_EQ(seen.before, "");
    EXPECT_EQ(seen.after, "CQ TEST");
    EXPECT_EQ(seen.line, "EEP FileName: keyer.eep");
    EXPECT_EQ(appState.image, image);
    EXPECT_TRUE(host().messageBoxes.empty());

    // Refused as the button refuses it: its box over the window, image kept.
    const std::string bad = dir.path() + "/short.eep";
    std::ofstream(bad) << "ten bytes!";
    appState = AppState{};
    seen = Start(bad);
    EXPECT_EQ(seen.after, "");
    EXPECT_EQ(seen.line, "EEP FileName: short.eep");
    EXPECT_EQ(appState.image, SettingsImage{});
    ASSERT_EQ(host().messageBoxes.size(), 1u);
    EXPECT_EQ(host().messageBoxes[0].text, "Invalid file.");
    EXPECT_EQ(host().messageBoxes[0].caption, "Error");
    EXPECT_NE(host().messageBoxes[0].owner, nullptr);
}

}  // namespace
}  // namespace zt
