// Program's checks in the core alone: the image's own first, without a word
// to the keyer, then detection on a freshly opened port and the keyer check.
// How the uploader shows them is tests/app's.
#include "firmware/program.h"

#include <gtest/gtest.h>

#include <fstream>

#include "firmware/hex_records.h"
#include "sim/simulator.h"
#include "support/core_fixture.h"

namespace zt {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::Record;

class ProgramTest : public testing::CoreTest {
  protected:
    void SetUp() override {
        CoreTest::SetUp();
        ASSERT_TRUE(sim.Start());
        target.device = sim.DevicePath();
    }
    // Loads lines as an image file.
    void Load(const std::vector<std::string>& lines) {
        const std::string path = dir.path() + "/zt.bin";
        std::ofstream file(path);
        for (const std::string& line : lines) file << line << "\n";
        file.close();
        firmware.Load(path);
    }
    ProgramStart Prepare() { return PrepareProgram(port, target, {}, waits, firmware); }
    // An image for family, version 31, with words at 0x20 too.
    void LoadFamily(int family) {
        Load({Record(0, 0, {0, 0, 0, 0, 0, 0, 31, std::uint8_t(family)}),
              Record(0, 0x40, {1, 2, 3, 4}), testing::kEndRecord});
    }

    sim::Simulator sim;
    KeyerWaits waits = testing::ShortWaits();
    Port port;
    PortTarget target;
    LoadedImage firmware;
};

TEST_F(ProgramTest, TheImagesChecksComeFirstAndAskTheKeyerNothingThenItMustTakeTheImage) {
    EXPECT_EQ(Prepare().text, "Error: Please Open a Programming File !");
    LoadFamily(5);
    Load({testing::kEndRecord});  // a load without records leaves the good one's flag
    ProgramStart s = Prepare();
    EXPECT_EQ(s.check, ProgramCheck::ZeroLength);
    EXPECT_EQ(s.text, "Error: Zero Length File !");
    Load({Record(0, 0x4200, {1, 2}), testing::kEndRecord});  // nothing an upload sends
    EXPECT_EQ(Prepare().text, "Error: No Program Data in File !");
    Load({Record(0, 0, {1})});  // no end record: a partly blank image is left
    s = Prepare();
    EXPECT_EQ(s.check, ProgramCheck::NoFile);
    EXPECT_FALSE(s.detection || s.Goes());
    EXPECT_TRUE(sim.Received().empty());

    // Then the keyer is detected anew and must take the image.
    LoadFamily(55);  // DIP
    s = Prepare();
    EXPECT_EQ(s.check, ProgramCheck::WrongImage);
    EXPECT_EQ(s.text, "Error: Attempting to program an SMT ZT with a DIP image !");
    EXPECT_EQ(sim.Received(), (Bytes{0, 4, 0x55, 0, 9, 0, 0x17, 0, 0x18}));  // detection only

    LoadFamily(5);
    s = Prepare();
    EXPECT_TRUE(s.Goes());
    EXPECT_EQ(s.text, "Programming ZOVOV....");
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(port.waits().readMs, waits.full.readMs);

    sim::Faults silent;
    silent.silent = true;
    sim.SetFaults(silent);
    s = Prepare();
    EXPECT_EQ(s.check, ProgramCheck::NotConnected);
    EXPECT_EQ(s.text, "ZT not connected");
}

}  // namespace
}  // namespace zt
