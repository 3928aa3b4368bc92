#include "app/uploader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <system_error>
#include <thread>

#include "firmware/hex_records.h"
#include "resources/ids.h"
#include "support/keyer_fixture.h"

namespace zt {
namespace {

using namespace std::chrono_literals;
using testing::Record;
using Bytes = std::vector<std::uint8_t>;

class UploaderTest : public testing::KeyerTest {
  protected:
    // An image for family, version 31, with words at 0x20 too; its path.
    std::string Image(int family, const std::string& name = "zt.bin") {
        const std::string path = dir.path() + "/" + name;
        std::ofstream(path) << Record(0, 0, {0, 0, 0, 0, 0, 0, 31, std::uint8_t(family)}) << "\n"
                            << Record(0, 0x40, {1, 2, 3, 4}) << "\n"
                            << testing::kEndRecord << "\n";
        return path;
    }
    // Test ZT, then FW Update running the script; the main window afterwards.
    ui::Window& RunUploader(ui::ScriptedHost::Script script) {
        ui::Window& w = openMain();
        ui::click(w, ids::kTestZt);
        host().onModal(ids::kUploaderDialog, std::move(script));
        ui::click(w, ids::kFwUpdate);
        EXPECT_EQ(host().modalRuns.back(), ids::kUploaderDialog);
        return w;
    }
    void Load(ui::Window& d, const std::string& path) {
        host().answerFileDialog(path);
        ui::click(d, ids::kLoadBin);
    }
    // Timer 2 as the dialog manager runs it, until the result is shown.
    void Finish(ui::Window& d) {
        for (auto until = std::chrono::steady_clock::now() + 30s;
             d.timers.count(kUploadTimer) && std::chrono::steady_clock::now() < until;) {
            EXPECT_EQ(d.timers.at(kUploadTimer), 100);
            std::this_thread::sleep_for(2ms);
            host().tick(d, kUploadTimer);
        }
        ASSERT_EQ(d.timers.count(kUploadTimer), 0u) << "no result";
    }
    static std::string Message(ui::Window& d) { return ui::getText(d, ids::kUploadMessage); }
    static std::string Tip(ui::Window& d) { return ui::control(d, ids::kUploadMessage).tip; }
    static bool Enabled(ui::Window& d, int id) { return ui::isEnabled(d, id); }
};

TEST_F(UploaderTest, LoadProgramAndTestAfterwards) {
    startKeyer(Keyer(kVariantAf, 31, 2));
    const std::string path = Image(103);
    ui::Window& w = RunUploader([&](ui::Window& d) {
        EXPECT_TRUE(Enabled(d, ids::kLoadBin) && !Enabled(d, ids::kProgram));
        EXPECT_EQ(ui::focusedControl(d), ids::kLoadBin);  // not the log
        Load(d, path);
        EXPECT_EQ(Message(d), "ZT AF Version: 31.03 Loaded, 2 Records");
        EXPECT_EQ(ui::getText(d, ids::kUploadPath), path);
        EXPECT_EQ(ui::control(d, ids::kUploadPath).tip, path);
        EXPECT_TRUE(Enabled(d, ids::kProgram));

        ui::setFocus(d, ids::kProgram);
        ui::click(d, ids::kProgram);
        EXPECT_EQ(Message(d), "Programming ZOVOV....");
        EXPECT_FALSE(Enabled(d, ids::kLoadBin) || Enabled(d, ids::kProgram));
        EXPECT_EQ(ui::focusedControl(d), ids::kUploadExit);  // waits on the button left
        for (void (*leave)(ui::Window&) : {ui::pressEscape, ui::closeBox}) leave(d);
        ui::click(d, ids::kUploadExit);
        EXPECT_FALSE(d.ended);
        EXPECT_EQ(Message(d), "Please wait: the upload is still running");
        Finish(d);
        EXPECT_EQ(Message(d), "Upload Completed Successfully");
        // Each result told once, after the focus has come to rest.
        EXPECT_EQ(
            host().announcements,
            (std::vector<std::string>{
                "ZT IC: AF, ZT F/W revision 31.02, >ZT OK, "
                "PotValue: 128, PB:255, 5.04 Volts",
                "ZT AF Version: 31.03 Loaded, 2 Records", "Programming ZOVOV....",
                "Please wait: the upload is still running",
                "Please wait: the upload is still running",
                "Please wait: the upload is still running", "Upload Completed Successfully"}));
        EXPECT_EQ(ui::getProgress(d, ids::kUploadProgress), 99);
        EXPECT_TRUE(Enabled(d, ids::kLoadBin) && !Enabled(d, ids::kProgram));
        EXPECT_EQ(ui::getText(d, ids::kUploadLog), "");  // verbose mode is off
        ui::click(d, ids::kUploadExit);
    });
    ASSERT_EQ(host().fileRequests.size(), 1u);
    const ui::FileDialogRequest& r = host().fileRequests[0];
    EXPECT_EQ(r.title + "|" + r.initialPath + "|" + r.defaultExtension, "Open|*.bin|bin");
    EXPECT_EQ(r.filters, (decltype(r.filters){{"All files", "*.*"}, {"Bin Files", "*.bin"}}));
    EXPECT_TRUE(r.initialFilter == 1 && r.mustExist && !r.save);
    EXPECT_EQ(sim->program()[0x20], 0x0201);
    // The keyer restarted into its firmware, and the main window has tested it.
    EXPECT_EQ(ui::getText(w, ids::kOpState), ">ZT OK");
}

TEST_F(UploaderTest, RefusalsKeepTheButtonsAndSendNothing) {
    startKeyer(Keyer(kVariantSmt, 31, 5));
    const std::string good = Image(5);
    const std::string empty = dir.path() + "/empty.bin";
    std::ofstream(empty) << testing::kEndRecord << "\n";
    RunUploader([&](ui::Window& d) {
        ui::setProgress(d, ids::kUploadProgress, 40);
        ui::sendCommand(d, ids::kProgram);  // as if enabled: nothing loaded yet
        EXPECT_EQ(Message(d), "Error: Please Open a Programming File !");
        EXPECT_EQ(ui::getProgress(d, ids::kUploadProgress), 0);

        Load(d, good);
        EXPECT_EQ(Tip(d), "");
        Load(d, empty);
        EXPECT_EQ(Message(d), "File Error");
        EXPECT_EQ(Tip(d), "Error: Zero Length File !");  // what more there is to say
        EXPECT_TRUE(Enabled(d, ids::kProgram));
        Load(d, good);

        // A refusal after detection (the keyer's, tests/firmware's) keeps both buttons.
        sim::Faults silent;
        silent.silent = true;
        sim->SetFaults(silent);
        ui::click(d, ids::kProgram);
        ASSERT_EQ(host().messageBoxes.size(), 1u);
        const ui::MessageBoxRecord& box = host().messageBoxes[0];
        EXPECT_EQ(box.text + "|" + box.caption, "ZT not connected|Error");
        EXPECT_TRUE(box.icon == ui::Icon::Warning && box.owner == nullptr);
        EXPECT_TRUE(Enabled(d, ids::kLoadBin) && Enabled(d, ids::kProgram));

        ui::pressEscape(d);  // leaves as Exit does, asking for no file
        EXPECT_TRUE(d.ended);
        EXPECT_EQ(host().fileRequests.size(), 3u);
    });
}

TEST_F(UploaderTest, RecoveryModeWithVerboseLog) {
    startKeyer({}, {}, true);
    session.verboseMode = 1;
    const std::string path = Image(155);
    RunUploader([&](ui::Window& d) {
        EXPECT_EQ(ui::control(d, ids::kUploadLog).textLimit, 65535);
        Load(d, path);
        sim->ClearReceived();
        ui::click(d, ids::kProgram);
        EXPECT_EQ(Message(d), "Programming ZOVOV in Recovery mode....");
        Finish(d);
        EXPECT_EQ(Message(d), "Upload Completed Successfully");
        // Detection's echo, then the sync without the hand-over, 956 frames, restart.
        const Bytes got = sim->Received();
        EXPECT_EQ(Bytes(got.begin(), got.begin() + 7), (Bytes{0, 4, 0x55, 0, 4, 0x55, 0x35}));
        EXPECT_EQ(got.size(), 7u + 956 * kFrameSize + 1);
        const std::string log = ui::getText(d, ids::kUploadLog);
        EXPECT_EQ(log.size(), 956u * 51);
        EXPECT_EQ(log.substr(0, 51), "0020 - 0102 0304 ff3f ff3f ff3f ff3f ff3f ff3f 3c\r\n");
        ui::click(d, ids::kUploadExit);
    });
}

TEST_F(UploaderTest, NoWorkerAndTheDialogStillCloses) {
    startKeyer(Keyer(kVariantDip, 31, 2));
    const std::string path = Image(51);
    RunUploader([&](ui::Window& d) {
        session.startUploadWorker = [](std::function<void()>) -> std::thread {
            throw std::system_error(
                std::make_error_code(std::errc::resource_unavailable_try_again));
        };
        Load(d, path);
        ui::click(d, ids::kProgram);
        EXPECT_EQ(Message(d), "Error: Upload could not be started !");
        EXPECT_TRUE(Enabled(d, ids::kLoadBin) && Enabled(d, ids::kProgram));
        EXPECT_EQ(d.timers.count(kUploadTimer), 0u);
        ui::click(d, ids::kUploadExit);
        EXPECT_TRUE(d.ended);
    });
}

}  // namespace
}  // namespace zt
