#pragma once
// The virtual keyer chip: its firmware's admin commands and its boot loader,
// byte in, reply bytes out. No I/O and no locking; the Simulator owns one
// and feeds it what arrives on the pseudo-terminal.
//
// Written from the keyer's command and boot-loader tables alone; it shares
// nothing with the program's link or firmware code on purpose, so a mistake
// on one side shows up as a disagreement with the other.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zt::sim {

constexpr int kSettingsSize = 300;  // main block 0..287, extension 288..299
constexpr int kMainBlockSize = 288;
constexpr int kExtensionSize = 12;
constexpr int kProgramWords = 8192;
constexpr std::uint16_t kBlankWord = 0x3FFF;

using SettingsBytes = std::array<std::uint8_t, kSettingsSize>;
using ProgramMemory = std::array<std::uint16_t, kProgramWords>;

enum class Mode {
    kFirmware,          // admin commands at 1200 baud
    kBootLoader,        // boot loader waiting for the sync and 35, at 1200 baud
    kBootLoaderFrames,  // boot loader taking record frames at 9600 baud
    kHungUp,            // the line was dropped (fault injection)
    kStopped,           // not running
};
const char* ModeName(Mode mode);

// What the chip reports about itself.
struct Identity {
    std::uint8_t variant = 1;  // 1 SMT, 2 DIP, 3 AF, 4 MINI; other values are sent as they are
    std::uint8_t major = 31;
    // The revision; the variant's offset (SMT 0, DIP 50, AF 100, MINI 150)
    // is added on the wire unless minorByte gives the byte as it is.
    std::uint8_t minor = 5;
    std::optional<std::uint8_t> minorByte;
    std::uint8_t pot = 128;
    std::uint8_t pushbutton = 255;  // nothing pressed
    std::uint8_t supply = 52;       // 26214.4 / 52 / 100 = 5.04 V

    std::uint8_t MinorOnWire() const;
};

// Misbehaviour on request.
struct Faults {
    bool silent = false;                    // take everything, answer nothing
    std::optional<std::uint8_t> echoReply;  // the firmware's echo answer instead of the argument
    std::optional<std::uint8_t> syncReply;  // the boot loader's sync answer instead of AA
    int truncateReplies = -1;               // >= 0: every reply cut to this many bytes
    bool noVariantReply = false;            // 00 18 goes unanswered
    // Record frame N, counted from 1 after each 35, gets this reply instead
    // of its own (a bad checksum still gets 81); 0 for none. Only a 3C lets
    // the frame be written.
    int frameFaultAt = 0;
    std::uint8_t frameFaultCode = 0x3C;
    // >= 0: after taking this many more bytes (counted from when the faults
    // were set) the chip answers what they asked for and drops the line.
    long hangUpAfter = -1;
    // >= 0: after taking this many more bytes (counted the same way) the chip
    // answers what they asked for and then holds the line: nothing the host
    // writes goes out any more, until the faults change.
    long stallAfter = -1;
    // Settings blocks are taken in whole and acknowledged by nothing, as
    // always, but never stored: a keyer whose memory does not keep a write.
    bool dropSettingsWrites = false;
};

// Factory settings: both users at their defaults, no messages.
SettingsBytes FactorySettings();
ProgramMemory BlankProgram();

class Keyer {
  public:
    struct Result {
        std::vector<std::uint8_t> reply;
        std::vector<std::string> notes;  // for the traffic log
        bool settingsStored = false;
        bool restarted = false;  // left the boot loader with 5A
    };

    explicit Keyer(bool bootLoaderOnly = false);

    void SetIdentity(const Identity& identity) { identity_ = identity; }
    void SetFaults(const Faults& faults) { faults_ = faults; }
    const Identity& identity() const { return identity_; }
    const Faults& faults() const { return faults_; }

    // One byte off the line. A garbled byte is one the host sent with line
    // settings other than those the chip listens at.
    Result Take(std::uint8_t byte, bool garbled);
    // Drops a command, data block or frame left half received.
    Result Abandon();
    bool MidCommand() const { return step_ != Step::kIdle; }
    // Power off and on: firmware again, unless an upload was begun and not
    // finished, or there never was firmware.
    void PowerCycle();

    Mode mode() const { return mode_; }
    int LineRate() const { return mode_ == Mode::kBootLoaderFrames ? 9600 : 1200; }

    SettingsBytes& settings() { return settings_; }
    const SettingsBytes& settings() const { return settings_; }
    ProgramMemory& program() { return program_; }
    const ProgramMemory& program() const { return program_; }

    std::size_t garbled() const { return garbled_; }
    std::size_t framesStored() const { return framesStored_; }
    std::size_t framesRefused() const { return framesRefused_; }

  private:
    enum class Step { kIdle, kCode, kArgument, kBlock, kFrame };

    void TakeFirmware(std::uint8_t byte, Result* r);
    void TakeBootLoader(std::uint8_t byte, Result* r);
    void TakeFrame(std::uint8_t byte, Result* r);
    void FinishFrame(Result* r);
    void Reply(Result* r, std::vector<std::uint8_t> bytes) const;
    void EnterBootLoader(Result* r);

    Identity identity_;
    Faults faults_;
    Mode mode_;
    bool firmwarePresent_;
    Step step_ = Step::kIdle;
    std::uint8_t code_ = 0;
    std::vector<std::uint8_t> buffer_;  // data block or frame in progress
    std::size_t blockSize_ = 0;
    std::size_t blockOffset_ = 0;
    int frameNumber_ = 0;  // frames seen since the boot loader last started
    SettingsBytes settings_;
    ProgramMemory program_;
    std::size_t garbled_ = 0;
    std::size_t framesStored_ = 0;
    std::size_t framesRefused_ = 0;
};

// State files: settings as the 300 bytes (a 288-byte file fills only the
// main block); program memory as 8192 words, low byte first.
bool WriteSettingsFile(const std::string& path, const SettingsBytes& settings,
                       std::string* error = nullptr);
bool ReadSettingsFile(const std::string& path, SettingsBytes* settings,
                      std::string* error = nullptr);
bool WriteProgramFile(const std::string& path, const ProgramMemory& program,
                      std::string* error = nullptr);
bool ReadProgramFile(const std::string& path, ProgramMemory* program, std::string* error = nullptr);

}  // namespace zt::sim
