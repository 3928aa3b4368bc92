// The Win32 serial side against the virtual keyer: run-with-sim starts ztsim
// on a pseudo-terminal, makes it the Wine prefix's COM port and runs this
// program with
//   ZT_WINE_COM          that port's number
//   ZT_WINE_MISSING_COM  a number with no port behind it
//   ZT_WINE_SIM_DIR      the folder of ztsim's line log, settings and program
//                        memory files (line.log, settings.eep, program.bin)
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/keyer_commands.h"
#include "app/uploader.h"
#include "firmware/image.h"
#include "firmware/upload.h"
#include "link/port.h"
#include "link/port_list.h"
#include "link/probe.h"
#include "resources/ids.h"
#include "support/app_fixture.h"
#include "system/paths.h"
#include "system/serial.h"

namespace zt {
namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

int SimCom() {
    return std::atoi(Env("ZT_WINE_COM").c_str());
}

std::string SimFile(const std::string& name) {
    return Env("ZT_WINE_SIM_DIR") + "\\" + name;
}

Bytes ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The bytes ztsim logged as coming from the host, from the log's byte offset
// `from` on. Lines read "<seconds> host 00 04 55".
Bytes HostBytesLogged(std::size_t from) {
    Bytes log = ReadAll(SimFile("line.log"));
    std::istringstream lines(std::string(log.begin() + std::min(from, log.size()), log.end()));
    Bytes host;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string seconds, who;
        fields >> seconds >> who;
        if (who != "host") continue;
        for (std::string hex; fields >> hex;)
            host.push_back(static_cast<std::uint8_t>(std::stoi(hex, nullptr, 16)));
    }
    return host;
}

class WineLink : public testing::AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        ASSERT_GT(SimCom(), 0) << "run through run-with-sim";
        appState.comPortNumber = SimCom();
    }
    void TearDown() override {
        keyerPort.Close();
        AppTest::TearDown();
    }
    ui::Window& testZt() {
        ui::Window& w = main ? *main : openMain();
        ui::click(w, ids::kTestZt);
        EXPECT_EQ(ui::getText(w, ids::kOpState), ">ZT OK");
        return w;
    }
};

TEST_F(WineLink, TestZtSendsTheBytesItSendsOnLinux) {
    const std::size_t logged = ReadAll(SimFile("line.log")).size();
    ui::Window& w = testZt();
    EXPECT_EQ(ui::getText(w, ids::kChipLabel), "ZT IC: SMT");
    EXPECT_EQ(HostBytesLogged(logged),
              (Bytes{0, 4, 0x55, 0, 9, 0, 0x17, 0, 0x18, 0, 6, 0, 5, 0, 0x15}));
    // The keyer's line as the port left it after the open.
    const LineSettings& line = keyerPort.lineSettings();
    EXPECT_EQ(line.baudRate, 1200);
    EXPECT_TRUE(line.byteSize == 8 && line.parity == 0 && line.stopBits == 0);
    EXPECT_TRUE(line.dtrOn && !line.rtsOn && !line.xonXoffOut && !line.xonXoffIn);
}

TEST_F(WineLink, SettingsWrittenAndReadBackMatchTheKeyersStore) {
    ui::Window& w = testZt();
    ui::click(w, ids::kResetDefaults);
    ui::setText(w, ids::kMsg1, "CQ WINE");
    ui::click(w, ids::kWriteZt);
    EXPECT_EQ(ui::getText(w, ids::kOpState), "Done");
    const SettingsImage written = appState.image;
    EXPECT_EQ(ReadAll(SimFile("settings.eep")), Bytes(written.begin(), written.end()));

    appState.image.fill(0);
    ui::setText(w, ids::kMsg1, "");
    ui::click(w, ids::kReadZt);
    EXPECT_EQ(ui::getText(w, ids::kOpState), ">Done");
    EXPECT_EQ(appState.image, written);
    EXPECT_EQ(ui::getText(w, ids::kMsg1), "CQ WINE");
}

TEST_F(WineLink, AnUploadEndsWithTheImageInProgramMemory) {
    const std::string path = dir.path() + "\\zt.bin";
    {
        std::ofstream hex(path);
        // SMT image, version 31, and words past the vectors with data of their own.
        hex << ":080000000000000000001F03D6\n";
        for (int address = 0x40; address < 0x140; address += 16) {
            std::string line = ":10";
            char field[8];
            int sum = 16 + (address >> 8) + (address & 0xFF);
            std::snprintf(field, sizeof field, "%04X00", address);
            line += field;
            for (int i = 0; i < 16; ++i) {
                const int b = (address + i * 7) & 0xFF;
                std::snprintf(field, sizeof field, "%02X", b);
                line += field;
                sum += b;
            }
            std::snprintf(field, sizeof field, "%02X", -sum & 0xFF);
            hex << line << field << "\n";
        }
        hex << ":00000001FF\n";
    }
    FirmwareImage image;
    ASSERT_EQ(LoadImageFile(path, image), 17);

    ui::Window& w = testZt();
    std::string outcome;
    host().onModal(ids::kUploaderDialog, [&](ui::Window& d) {
        host().answerFileDialog(path);
        ui::click(d, ids::kLoadBin);
        ui::click(d, ids::kProgram);
        // Timer 2 as the dialog manager runs it, until the result is shown.
        for (auto until = std::chrono::steady_clock::now() + 120s;
             d.timers.count(kUploadTimer) && std::chrono::steady_clock::now() < until;) {
            std::this_thread::sleep_for(20ms);
            host().tick(d, kUploadTimer);
        }
        outcome = ui::getText(d, ids::kUploadMessage);
        ui::click(d, ids::kUploadExit);
    });
    ui::click(w, ids::kFwUpdate);
    EXPECT_EQ(outcome, "Upload Completed Successfully");

    // ztsim writes program memory (8192 words, low byte first) when the keyer restarts.
    const Bytes memory = ReadAll(SimFile("program.bin"));
    ASSERT_EQ(memory.size(), 2u * 8192);
    for (int slot : SlotOrder(image)) {
        const ImageSlot& s = image[slot];
        const int word = s.addressHigh << 8 | s.addressLow;
        ASSERT_LE(word + 8, 8192);
        EXPECT_EQ(Bytes(memory.begin() + 2 * word, memory.begin() + 2 * word + 16),
                  Bytes(s.data.begin(), s.data.end()))
            << "slot " << slot;
    }
    EXPECT_EQ(ui::getText(w, ids::kOpState), ">ZT OK");  // tested again after the upload
}

// A read that gives up leaves the caller's buffer as it was past what had
// arrived, also once the system would have had time to put more there.
TEST_F(WineLink, AGivenUpReadLeavesTheBufferAlone) {
    Port port;
    port.waits().readMs = 300;
    port.waits().readTimeoutMs = 400;
    ASSERT_EQ(port.Open(SimCom()), PortOpen::Ok);
    std::uint8_t buffer[6] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_FALSE(port.Read(buffer, 6));  // nothing was asked
    EXPECT_EQ(Bytes(buffer, buffer + 6), Bytes(6, 0xEE));

    const std::uint8_t echo[] = {0, 4, 0x55};  // answered with one byte
    EXPECT_TRUE(port.Write(echo, 3));
    EXPECT_FALSE(port.Read(buffer, 4));
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(Bytes(buffer, buffer + 6), (Bytes{0x55, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}));
    EXPECT_TRUE(port.Write(echo, 3));  // the port goes on as before
    std::uint8_t reply = 0;
    EXPECT_TRUE(port.Read(&reply, 1));
    EXPECT_EQ(reply, 0x55);
}

// What ListPorts says of a port: free, its note, or not listed.
std::string Listed(int com) {
    for (const PortEntry& e : ListPorts())
        if (e.number == com) return e.note.empty() ? std::string("free") : e.note;
    return "not listed";
}

// Wine gives every opener of a serial device its own handle, share mode or
// not; on Windows the second open is refused with ERROR_ACCESS_DENIED.
bool UnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

TEST_F(WineLink, AHeldPortGivesTheOpenFailureAndIsListedInUse) {
    if (UnderWine()) GTEST_SKIP() << "Wine does not make serial opens exclusive";
    Port held;
    ASSERT_EQ(held.Open(SimCom()), PortOpen::Ok);
    Port other;
    EXPECT_EQ(other.Open(SimCom()), PortOpen::Busy);
    EXPECT_FALSE(other.IsOpen());
    EXPECT_EQ(SerialOpen(ComDevicePath(SimCom())).outcome, PortOpen::Busy);
    EXPECT_EQ(Listed(SimCom()), "in use");
    held.Close();
    EXPECT_EQ(Listed(SimCom()), "free");
}

TEST_F(WineLink, AMissingPortGivesTheOpenFailureAndIsNotListed) {
    const int missing = std::atoi(Env("ZT_WINE_MISSING_COM").c_str());
    ASSERT_GT(missing, 0);
    Port nowhere;
    EXPECT_EQ(nowhere.Open(missing), PortOpen::Missing);
    EXPECT_FALSE(nowhere.IsOpen());
    SerialOpenResult opened = SerialOpen(ComDevicePath(missing));
    EXPECT_EQ(opened.outcome, PortOpen::Missing);
    EXPECT_EQ(opened.error, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Listed(missing), "not listed");
    EXPECT_EQ(Listed(SimCom()), "free");
}

// The probe finds the keyer among the system's ports, on threads of its own.
TEST_F(WineLink, TheProbeFindsTheKeyerAndNoKeyerWhereThereIsNone) {
    int keyers = 0;
    for (const ProbedPort& p : ProbePorts(ListPorts())) {
        if (p.port.number != SimCom()) continue;
        ASSERT_TRUE(p.detection);
        EXPECT_TRUE(p.KeyerAnswered());
        EXPECT_EQ(p.detection->chipLabel, "ZT IC: SMT");
        ++keyers;
    }
    EXPECT_EQ(keyers, 1);
    const int missing = std::atoi(Env("ZT_WINE_MISSING_COM").c_str());
    const ProbedPort nowhere =
        ProbePort({missing, ComDevicePath(missing), "", ProbeResult::Present});
    ASSERT_TRUE(nowhere.detection);
    EXPECT_FALSE(nowhere.KeyerAnswered());
}

}  // namespace
}  // namespace zt
