#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/keyer_commands.h"
#include "resources/ids.h"
#include "support/keyer_fixture.h"

namespace zt {
namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes kDetection = {0, 4, 0x55, 0, 9, 0, 0x17, 0, 0x18};

class TransferTest : public testing::KeyerTest {
  protected:
    void SetUp() override {
        KeyerTest::SetUp();
        session.waits.storeMs = 10;
    }
    // A keyer whose settings differ from the editor's in every byte.
    sim::Simulator& keyerWithSettings(sim::Faults faults = {}) {
        startKeyer(Keyer(kVariantSmt, 31, 5), faults);
        sim::SettingsBytes s = sim::FactorySettings();
        s[3] = 70;                            // User 1 weight
        s[33] = 15, s[47] = 21, s[48] = 155;  // Msg 1 "CQ"
        s[32] = 17;                           // message end
        s[290] = 0x0C, s[299] = 41;           // User 1 RTTY register 2, User 2 serial low
        sim->SetSettings(s);
        return *sim;
    }
    // Records the operation state at every repaint; the flows repaint before
    // each transfer, which blocks the window.
    void watchOperation() {
        host().onRepaint = [this](ui::Window& w) {
            seen.insert(ui::getText(w, ids::kOpState));
            if (!stopKeyerAt.empty() && stopKeyerAt == ui::getText(w, ids::kOpState)) sim->Stop();
        };
    }
    Bytes sent() { return sim->Received(); }
    std::set<std::string> seen;
    std::string stopKeyerAt;  // the keyer vanishes when the window shows this
};

TEST_F(TransferTest, ReadFetchesBothBlocksIntoTheImageAndTheEditor) {
    ui::Window& w = openMain();
    keyerWithSettings();
    watchOperation();
    ui::sendCommand(w, ids::kReadZt);
    const sim::SettingsBytes keyer = sim->settings();
    EXPECT_TRUE(std::equal(keyer.begin(), keyer.end(), session.image.begin()));
    EXPECT_EQ(ui::getText(w, ids::kWeight), "70");
    EXPECT_EQ(ui::getText(w, ids::kMsg1), "CQ");
    EXPECT_TRUE(seen.count(">Reading"));
    EXPECT_EQ(ui::getText(w, ids::kOpState), ">Done");
    EXPECT_EQ(host().announcements, std::vector<std::string>{"ZT F/W ver 31.05, >Done"});
    EXPECT_TRUE(ui::isEnabled(w, ids::kWriteZt));
    EXPECT_EQ(session.busy, 0);
}

TEST_F(TransferTest, AReadThatFallsShortLeavesTheEditorAndSaysSo) {
    ui::Window& w = openMain();
    session.image.fill(0x77);
    ui::setText(w, ids::kWeight, "unchanged");
    sim::Faults f;
    f.truncateReplies = 100;  // detection's one-byte replies still pass
    keyerWithSettings(f);
    ui::sendCommand(w, ids::kReadZt);
    EXPECT_EQ(session.image[3], 0x77);
    EXPECT_EQ(ui::getText(w, ids::kOpState), ">ZT ERR");
    EXPECT_EQ(ui::getText(w, ids::kLinkStatus), "ZT Fail:settings read short");
    EXPECT_EQ(host().announcements,
              std::vector<std::string>{"ZT Fail:settings read short, >ZT ERR"});
    EXPECT_EQ(ui::getText(w, ids::kWeight), "unchanged");
}

TEST_F(TransferTest, WriteStoresTheEditorIntoTheImageAndSendsIt) {
    ui::Window& w = openMain();
    keyerWithSettings();
    ui::click(w, ids::kResetDefaults);
    ui::setText(w, ids::kMaxWpm, "44");
    ui::setText(w, ids::kMsg1, "TEST");
    watchOperation();
    ui::sendCommand(w, ids::kWriteZt);
    EXPECT_EQ(session.image[7], 39);  // MaxWpm 44 over the default minimum of 5
    const sim::SettingsBytes keyer = sim->settings();
    EXPECT_TRUE(std::equal(keyer.begin(), keyer.end(), session.image.begin()));
    EXPECT_TRUE(seen.count("Writing"));
    EXPECT_EQ(ui::getText(w, ids::kOpState), "Done");
    EXPECT_EQ(host().announcements, std::vector<std::string>{"ZT F/W ver 31.05, Done"});
}

TEST_F(TransferTest, AnInvalidValueStopsTheWriteAfterDetection) {
    ui::Window& w = openMain();
    keyerWithSettings();
    ui::click(w, ids::kResetDefaults);
    ui::setText(w, ids::kRatio, "70");
    ui::setText(w, ids::kOpState, "before");
    ui::sendCommand(w, ids::kWriteZt);
    EXPECT_EQ(host().messageBoxes.back().text, "Ratio must be between 33 and 66");
    EXPECT_EQ(sent(), kDetection);
    EXPECT_EQ(ui::getText(w, ids::kOpState), "before");
    EXPECT_TRUE(host().announcements.empty());  // the box alone tells the refusal
    EXPECT_EQ(session.busy, 0);

    // The user not on show is checked as well, and shown.
    ui::setText(w, ids::kRatio, "50");
    session.image[16 + 1] = 200;  // User 2's CurWpm, as a file may hold it
    ui::sendCommand(w, ids::kWriteZt);
    EXPECT_EQ(host().messageBoxes.back().text, "Favorite WPM must be between 5 and 99");
    EXPECT_EQ(session.editedUser, User::Two);
    EXPECT_EQ(sent().size(), 2 * kDetection.size());
}

TEST_F(TransferTest, WithNoKeyerNothingIsTransferredAndTheImageStays) {
    ui::Window& w = openMain();
    session.comPortNumber = 49;  // nothing there
    session.image.fill(0x42);
    for (int id : {ids::kReadZt, ids::kWriteZt}) {
        ui::sendCommand(w, id);
        EXPECT_EQ(ui::getText(w, ids::kOpState), ">ZT ERR");
        EXPECT_NE(ui::getText(w, ids::kLinkStatus).find("ZT Fail:"), std::string::npos);
        EXPECT_EQ(session.image[5], 0x42);
    }
    startKeyer(Keyer(kVariantSmt, 31, 5), [] {
        sim::Faults f;
        f.silent = true;
        return f;
    }());
    session.comPortNumber = testing::kSimCom;
    ui::sendCommand(w, ids::kReadZt);
    EXPECT_EQ(ui::getText(w, ids::kLinkStatus), "ZT Fail:no response");
    EXPECT_EQ(ui::getText(w, ids::kOpState), ">ZT ERR");
    EXPECT_EQ(session.image[5], 0x42);

    // A keyer swapped since its Test for one without the settings commands
    // still gets them, as the window has always sent them.
    sim->SetFaults({});
    sim->SetIdentity(Keyer(kVariantSmt, 30, 5));
    sim->ClearReceived();
    ui::sendCommand(w, ids::kReadZt);
    Bytes read = kDetection;
    read.insert(read.end(), {0, 0x0C, 0, 0x1A});
    EXPECT_EQ(sim->Received(), read);
}

// The system takes all the bytes at once; a line that drops before they are
// on the wire took them with it, whatever the writes said.
TEST_F(TransferTest, ALineThatHangsUpWhileTheBytesGoOutIsAFailure) {
    ui::Window& w = openMain();
    sim::Faults f;
    f.hangUpAfter = 20;  // detection, the extension command and part of its block
    keyerWithSettings(f);
    ui::click(w, ids::kResetDefaults);
    ui::sendCommand(w, ids::kWriteZt);
    EXPECT_EQ(ui::getText(w, ids::kOpState), ">ZT ERR");
    EXPECT_EQ(ui::getText(w, ids::kLinkStatus), "ZT Fail:settings not sent");
    EXPECT_EQ(ui::control(w, ids::kLinkStatus).tip, "the line hung up");
}

}  // namespace
}  // namespace zt
