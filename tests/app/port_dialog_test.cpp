#include "app/port_dialog.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "link/port_list.h"
#include "resources/ids.h"
#include "support/keyer_fixture.h"
#include "system/serial.h"

namespace zt {
namespace {

using testing::KeyerTest;

class PortDialogTest : public KeyerTest {
  protected:
    void SetUp() override {
        KeyerTest::SetUp();
        startKeyer({}, {}, false, 3);
        startKeyer({}, {}, false, 12);
        // A link to nothing: the number is not listed.
        ASSERT_EQ(symlink("/dev/zt-no-such-device", (PortsDir() + "/com5").c_str()), 0);
    }
    std::vector<unsigned char> configBytes() {
        std::ifstream in(session.configFileName, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    // Opens the dialog from the main window; the script sees it initialised.
    void openDialog(ui::Window& w, ui::ScriptedHost::Script script) {
        host().onModal(ids::kPortDialog, std::move(script));
        ui::click(w, ids::kSetComPort);
    }
    static int indexOf(ui::Window& d, const std::string& item) {
        const auto& items = ui::control(d, ids::kPortList).items;
        for (std::size_t i = 0; i < items.size(); ++i)
            if (items[i] == item) return static_cast<int>(i);
        return -1;
    }
};

TEST_F(PortDialogTest, ListsPresentPortsInOrderAndPreselectsTheConfiguredOne) {
    session.comPortNumber = 12;
    std::vector<PortEntry> ports = ListPorts();
    for (std::size_t i = 1; i < ports.size(); ++i) EXPECT_LT(ports[i - 1].number, ports[i].number);
    for (const PortEntry& p : ports) EXPECT_NE(p.number, 5);

    ui::Window& w = openMain();
    openDialog(w, [&](ui::Window& d) {
        int com3 = indexOf(d, "com3"), com12 = indexOf(d, "com12");
        ASSERT_GE(com3, 0);
        EXPECT_LT(com3, com12);
        EXPECT_EQ(ui::comboSelection(d, ids::kPortList), com12);
        EXPECT_NE(ui::control(d, ids::kPortList).itemTips[com12].find("/ports/com12"),
                  std::string::npos);
        ui::selectItem(d, ids::kPortList, com3);
        ui::pressEscape(d);  // as Exit
    });
    EXPECT_EQ(session.comPortNumber, 12);  // Exit changes nothing
    EXPECT_TRUE(configBytes().empty());
    EXPECT_EQ(ui::getText(w, ids::kPortLabel), "com:12");
}

TEST_F(PortDialogTest, OkTakesTheSelectionAndSavesIt) {
    session.comPortNumber = 7;  // not present: nothing preselected
    ui::Window& w = openMain();
    openDialog(w, [&](ui::Window& d) {
        EXPECT_EQ(ui::comboSelection(d, ids::kPortList), -1);
        ui::click(d, ids::kPortOk);  // nothing chosen: the old number stays
    });
    EXPECT_EQ(session.comPortNumber, 7);

    openDialog(w, [&](ui::Window& d) {
        ui::selectItem(d, ids::kPortList, indexOf(d, "com3"));
        ui::click(d, ids::kPortOk);
    });
    EXPECT_EQ(session.comPortNumber, 3);
    EXPECT_EQ(configBytes(), (std::vector<unsigned char>{3, 0, 0, 0}));
    EXPECT_EQ(ui::getText(w, ids::kPortLabel), "com:3");
}

TEST_F(PortDialogTest, TheKeyerPortIsClosedForProbingAndABusyPortIsListed) {
    session.comPortNumber = 3;
    ui::Window& w = openMain();
    ui::click(w, ids::kTestZt);
    ASSERT_TRUE(session.port.IsOpen());
    // A second program holding com12 does not hide it.
    SerialOpenResult other = SerialOpen(ComDevicePath(12));
    ASSERT_EQ(other.outcome, PortOpen::Ok);
    openDialog(w, [&](ui::Window& d) {
        int com12 = indexOf(d, "com12");
        ASSERT_GE(com12, 0);
        EXPECT_NE(ui::control(d, ids::kPortList).itemTips[com12].find("in use"), std::string::npos);
        ui::closeBox(d);
    });
    EXPECT_FALSE(session.port.IsOpen());
    SerialClose(other.device, DeadlineIn(0));
}

}  // namespace
}  // namespace zt
