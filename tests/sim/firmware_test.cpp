// The simulator's firmware mode, driven over a real pseudo-terminal.

#include <sys/stat.h>
#include <unistd.h>

#include "sim_fixture.h"

namespace zt::sim::test {
namespace {

TEST_F(SimTest, AnswersEveryQueryFromItsIdentity) {
    Config config;
    Identity& id = config.identity;
    id.variant = 3;
    id.major = 33;
    id.minor = 7;
    id.pot = 77;
    id.pushbutton = 12;
    id.supply = 80;
    Start(config);
    EXPECT_EQ(host_->Ask({0x00, 0x04, 0x55}, 1), Bytes{0x55});
    EXPECT_EQ(host_->Ask({0x00, 0x09}, 1), Bytes{33});
    EXPECT_EQ(host_->Ask({0x00, 0x17}, 1), Bytes{107});  // AF adds 100
    EXPECT_EQ(host_->Ask({0x00, 0x18}, 1), Bytes{3});
    EXPECT_EQ(host_->Ask({0x00, 0x06}, 1), Bytes{77});
    EXPECT_EQ(host_->Ask({0x00, 0x05}, 1), Bytes{12});
    EXPECT_EQ(host_->Ask({0x00, 0x15}, 1), Bytes{80});
    // Back to back, as detection sends them: one reply each, in order.
    EXPECT_EQ(host_->Ask({0x00, 0x04, 0x55, 0x00, 0x09, 0x00, 0x17, 0x00, 0x18}, 4),
              (Bytes{0x55, 33, 107, 3}));
}

TEST_F(SimTest, MinorByteCarriesTheVariantOffsetUnlessGivenRaw) {
    Start();
    const std::uint8_t offsets[] = {0, 50, 100, 150};
    Identity id;
    id.minor = 4;
    for (std::uint8_t variant = 1; variant <= 4; ++variant) {
        id.variant = variant;
        sim_->SetIdentity(id);
        EXPECT_EQ(host_->Ask({0x00, 0x17}, 1), Bytes{std::uint8_t(4 + offsets[variant - 1])});
        EXPECT_EQ(host_->Ask({0x00, 0x18}, 1), Bytes{variant});
    }
    id.variant = 2;
    id.minorByte = 3;
    sim_->SetIdentity(id);
    EXPECT_EQ(host_->Ask({0x00, 0x17}, 1), Bytes{3});
}

TEST_F(SimTest, StoresSettingsAndReturnsThem) {
    TempConfigHome home;
    Config config;
    config.settingsPath = home.dir() + "/keyer.eep";
    Start(config);

    // A fresh keyer holds the factory settings.
    Bytes main = host_->Ask({0x00, 0x0C}, 288);
    ASSERT_EQ(main.size(), 288u);
    EXPECT_EQ(main[1], 15);   // favourite speed
    EXPECT_EQ(main[2], 78);   // sidetone code
    EXPECT_EQ(main[17], 15);  // same for User 2
    EXPECT_EQ(main[32], 15);  // empty message store
    EXPECT_EQ(host_->Ask({0x00, 0x1A}, 12), (Bytes{0, 0, 0, 4, 0, 0, 0, 0, 0, 4, 0, 0}));

    // Written as the program writes: extension first, then the main block.
    Bytes image = Pattern(300, 3);
    Bytes write = {0x00, 0x1B};
    write.insert(write.end(), image.begin() + 288, image.end());
    write.insert(write.end(), {0x00, 0x0D});
    write.insert(write.end(), image.begin(), image.begin() + 288);
    sim_->ClearReceived();
    host_->Write(write);
    ASSERT_TRUE(sim_->WaitForReceived(write.size(), 2s));
    EXPECT_EQ(sim_->Received(), write);

    SettingsBytes stored = sim_->settings();
    EXPECT_TRUE(std::equal(stored.begin(), stored.end(), image.begin()));
    EXPECT_EQ(host_->Ask({0x00, 0x0C}, 288), Bytes(image.begin(), image.begin() + 288));
    EXPECT_EQ(host_->Ask({0x00, 0x1A}, 12), Bytes(image.begin() + 288, image.end()));

    SettingsBytes saved{};
    ASSERT_TRUE(ReadSettingsFile(config.settingsPath, &saved));
    EXPECT_EQ(saved, stored);
}

TEST_F(SimTest, IgnoresStrayBytesAndUnknownCommands) {
    Config config;
    config.identity.major = 32;
    Start(config);
    sim_->ClearReceived();
    EXPECT_EQ(host_->Ask({0xFF, 0x00, 0x77, 0x00, 0x09}, 2, 300), Bytes{32});
    EXPECT_EQ(sim_->Received(), (Bytes{0xFF, 0x00, 0x77, 0x00, 0x09}));
    // A wrong key does not start the boot loader.
    host_->Write({0x00, 0x10, 0x9A});
    ASSERT_TRUE(sim_->WaitForReceived(8, 2s));
    EXPECT_EQ(sim_->mode(), Mode::kFirmware);
}

TEST_F(SimTest, DropsAHalfReceivedBlockAfterAQuietSpell) {
    Config config;
    config.partialTimeoutMs = 100;
    config.identity.major = 34;
    Start(config);
    SettingsBytes before = sim_->settings();
    host_->Write({0x00, 0x0D, 1, 2, 3, 4, 5});
    ASSERT_TRUE(sim_->WaitForReceived(7, 2s));
    usleep(300'000);
    // Taken as a command again, not as more settings bytes.
    EXPECT_EQ(host_->Ask({0x00, 0x09}, 1), Bytes{34});
    EXPECT_EQ(sim_->settings(), before);
}

TEST_F(SimTest, PacedRepliesTakeTheirLineTime) {
    Config config;
    config.pace = true;
    Start(config);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(host_->Ask({0x00, 0x1A}, 12).size(), 12u);
    // 2 bytes in and 12 out at 120 bytes a second: no less than ~100 ms.
    EXPECT_GE(std::chrono::steady_clock::now() - start, 90ms);
}

TEST_F(SimTest, LinksItselfAsComNAndRemovesTheLinkWhenStopped) {
    TempConfigHome home;
    Config config;
    config.com = 7;
    Start(config);
    std::string link = ComLinkPath(7);
    EXPECT_EQ(sim_->LinkPath(), link);
    char target[256] = {};
    ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(target, sim_->DevicePath());
    {
        HostPort viaLink(link);  // the program opens the link, not the pts
        ASSERT_TRUE(viaLink.ok());
        EXPECT_EQ(viaLink.Ask({0x00, 0x04, 0x55}, 1), Bytes{0x55});
    }

    // A second keyer may not take the name while the first is there.
    Simulator second(config);
    std::string why;
    EXPECT_FALSE(second.Start(&why));
    EXPECT_EQ(why, "COM7 is taken by another ztsim, on " + sim_->DevicePath() +
                       ": stop that one first, or pick another --com");

    auto start = std::chrono::steady_clock::now();
    sim_->Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    struct stat st {};
    EXPECT_NE(lstat(link.c_str(), &st), 0);
    EXPECT_EQ(sim_->mode(), Mode::kStopped);
}

TEST_F(SimTest, KeepsAnsweringAfterTheHostClosesAndReopens) {
    Start();
    EXPECT_EQ(host_->Ask({0x00, 0x04, 0x55}, 1), Bytes{0x55});
    host_.reset();
    usleep(50'000);
    host_ = std::make_unique<HostPort>(sim_->DevicePath());
    EXPECT_EQ(host_->Ask({0x00, 0x04, 0x55}, 1), Bytes{0x55});
}

}  // namespace
}  // namespace zt::sim::test
