#include "sim/keyer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "system/files.h"

namespace zt::sim {
namespace {

// The chip's own command table, kept here and nowhere else.
constexpr std::uint8_t kAdminPrefix = 0x00;
constexpr std::uint8_t kCmdPushbutton = 0x05;
constexpr std::uint8_t kCmdEcho = 0x04;
constexpr std::uint8_t kCmdPot = 0x06;
constexpr std::uint8_t kCmdMajor = 0x09;
constexpr std::uint8_t kCmdDumpSettings = 0x0C;
constexpr std::uint8_t kCmdLoadSettings = 0x0D;
constexpr std::uint8_t kCmdEnterBootLoader = 0x10;
constexpr std::uint8_t kBootLoaderKey = 0x9B;
constexpr std::uint8_t kCmdSupply = 0x15;
constexpr std::uint8_t kCmdMinor = 0x17;
constexpr std::uint8_t kCmdVariant = 0x18;
constexpr std::uint8_t kCmdReadExtension = 0x1A;
constexpr std::uint8_t kCmdWriteExtension = 0x1B;

// Boot-loader side.
constexpr std::uint8_t kSyncAnswer = 0xAA;
constexpr std::uint8_t kGoFast = 0x35;
constexpr std::uint8_t kFrameNext = 0x1B;
constexpr std::uint8_t kFrameLast = 0x2E;
constexpr std::uint8_t kRestart = 0x5A;
constexpr std::size_t kFrameSize = 20;  // command, address hi/lo, 16 data bytes, checksum
constexpr int kWordsPerFrame = 8;
constexpr std::uint8_t kFrameAccepted = 0x3C;
constexpr std::uint8_t kFrameBadStart = 0x80;
constexpr std::uint8_t kFrameBadChecksum = 0x81;
constexpr std::uint8_t kFrameNotWritten = 0x82;

std::string Hex(std::uint8_t b) {
    char buf[4];
    std::snprintf(buf, sizeof buf, "%02x", b);
    return buf;
}

// Regular files only: a folder, a pipe or a device is refused at once
// rather than read (or waited on).
bool ReadWhole(const std::string& path, std::vector<std::uint8_t>* bytes, std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error) *error = why;
        return false;
    };
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return fail("cannot open " + path + ": " + std::strerror(errno));
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return fail(path + " is not a regular file");
    }
    bytes->clear();
    std::uint8_t buf[4096];
    for (;;) {
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int why = errno;
            close(fd);
            return fail("cannot read " + path + ": " + std::strerror(why));
        }
        if (n == 0) break;
        bytes->insert(bytes->end(), buf, buf + n);
    }
    close(fd);
    return true;
}

// Saved as the client saves its files: a new file beside the target, made
// exclusively, renamed over it once complete; a link is followed.
bool WriteWhole(const std::string& path, const std::uint8_t* bytes, std::size_t size,
                std::string* error) {
    errno = 0;
    const SafeWrite saved = WriteFileSafely(path, {bytes, size});
    if (saved == SafeWrite::Ok) return true;
    if (error) {
        *error = (saved == SafeWrite::WriteFailed ? "cannot write " : "cannot save ") + path;
        if (errno) *error += std::string(": ") + std::strerror(errno);
    }
    return false;
}

}  // namespace

const char* ModeName(Mode mode) {
    switch (mode) {
        case Mode::kFirmware:
            return "firmware";
        case Mode::kBootLoader:
            return "boot loader";
        case Mode::kBootLoaderFrames:
            return "boot loader (frames)";
        case Mode::kHungUp:
            return "hung up";
        case Mode::kStopped:
            return "stopped";
    }
    return "?";
}

std::uint8_t Identity::MinorOnWire() const {
    if (minorByte) return *minorByte;
    static constexpr std::uint8_t kOffset[] = {0, 0, 50, 100, 150};
    std::uint8_t offset = variant <= 4 ? kOffset[variant] : 0;
    return static_cast<std::uint8_t>(minor + offset);
}

SettingsBytes FactorySettings() {
    static constexpr std::uint8_t kUser[16] = {0, 15, 78, 50, 0,  0, 5, 30,
                                               0, 0,  0,  50, 50, 7, 0, 15};
    static constexpr std::uint8_t kUserExtension[6] = {0, 0, 0, 4, 0, 0};
    SettingsBytes s{};
    std::copy(std::begin(kUser), std::end(kUser), s.begin());
    std::copy(std::begin(kUser), std::end(kUser), s.begin() + 16);
    s[32] = 15;  // message store end marker for an empty store
    std::copy(std::begin(kUserExtension), std::end(kUserExtension), s.begin() + 288);
    std::copy(std::begin(kUserExtension), std::end(kUserExtension), s.begin() + 294);
    return s;
}

ProgramMemory BlankProgram() {
    ProgramMemory p;
    p.fill(kBlankWord);
    return p;
}

Keyer::Keyer(bool bootLoaderOnly)
    : mode_(bootLoaderOnly ? Mode::kBootLoader : Mode::kFirmware),
      firmwarePresent_(!bootLoaderOnly),
      settings_(FactorySettings()),
      program_(BlankProgram()) {}

Keyer::Result Keyer::Take(std::uint8_t byte, bool garbled) {
    Result r;
    if (garbled) {
        // What a UART makes of a byte sent at the wrong rate is noise: the
        // chip drops it and whatever it was in the middle of.
        ++garbled_;
        if (MidCommand()) r = Abandon();
        return r;
    }
    switch (mode_) {
        case Mode::kFirmware:
            TakeFirmware(byte, &r);
            break;
        case Mode::kBootLoader:
            TakeBootLoader(byte, &r);
            break;
        case Mode::kBootLoaderFrames:
            TakeFrame(byte, &r);
            break;
        case Mode::kHungUp:
        case Mode::kStopped:
            break;
    }
    return r;
}

Keyer::Result Keyer::Abandon() {
    Result r;
    if (step_ == Step::kBlock)
        r.notes.push_back("settings block abandoned after " + std::to_string(buffer_.size()) +
                          " of " + std::to_string(blockSize_) + " bytes");
    else if (step_ == Step::kFrame)
        r.notes.push_back("frame abandoned after " + std::to_string(buffer_.size()) + " bytes");
    else if (step_ != Step::kIdle)
        r.notes.push_back("half a command abandoned");
    step_ = Step::kIdle;
    buffer_.clear();
    return r;
}

void Keyer::PowerCycle() {
    step_ = Step::kIdle;
    buffer_.clear();
    frameNumber_ = 0;
    mode_ = firmwarePresent_ ? Mode::kFirmware : Mode::kBootLoader;
}

void Keyer::Reply(Result* r, std::vector<std::uint8_t> bytes) const {
    if (faults_.silent) return;
    if (faults_.truncateReplies >= 0 && bytes.size() > std::size_t(faults_.truncateReplies))
        bytes.resize(std::size_t(faults_.truncateReplies));
    r->reply.insert(r->reply.end(), bytes.begin(), bytes.end());
}

void Keyer::EnterBootLoader(Result* r) {
    mode_ = Mode::kBootLoader;
    step_ = Step::kIdle;
    r->notes.push_back("firmware hands over to the boot loader");
}

void Keyer::TakeFirmware(std::uint8_t byte, Result* r) {
    switch (step_) {
        case Step::kIdle:
            if (byte == kAdminPrefix)
                step_ = Step::kCode;
            else
                r->notes.push_back("stray byte " + Hex(byte) + " ignored");
            return;
        case Step::kCode:
            break;
        case Step::kArgument:
            step_ = Step::kIdle;
            if (code_ == kCmdEcho) {
                Reply(r, {faults_.echoReply.value_or(byte)});
            } else if (byte == kBootLoaderKey) {
                EnterBootLoader(r);
            } else {
                r->notes.push_back("00 10 " + Hex(byte) + " ignored: wrong key");
            }
            return;
        case Step::kBlock:
            buffer_.push_back(byte);
            if (buffer_.size() == blockSize_ && faults_.dropSettingsWrites) {
                r->notes.push_back("dropped " + std::to_string(blockSize_) +
                                   " settings bytes for " + std::to_string(blockOffset_));
                buffer_.clear();
                step_ = Step::kIdle;
            } else if (buffer_.size() == blockSize_) {
                std::copy(buffer_.begin(), buffer_.end(), settings_.begin() + blockOffset_);
                r->settingsStored = true;
                r->notes.push_back("stored " + std::to_string(blockSize_) +
                                   " settings bytes from " + std::to_string(blockOffset_));
                buffer_.clear();
                step_ = Step::kIdle;
            }
            return;
        case Step::kFrame:
            return;  // frames only exist in the boot loader
    }

    code_ = byte;
    step_ = Step::kIdle;
    auto settingsRange = [this](std::size_t from, std::size_t n) {
        return std::vector<std::uint8_t>(settings_.begin() + from, settings_.begin() + from + n);
    };
    auto expectBlock = [this](std::size_t size, std::size_t offset) {
        step_ = Step::kBlock;
        blockSize_ = size;
        blockOffset_ = offset;
        buffer_.clear();
    };
    switch (byte) {
        case kCmdEcho:
        case kCmdEnterBootLoader:
            step_ = Step::kArgument;
            break;
        case kCmdMajor:
            Reply(r, {identity_.major});
            break;
        case kCmdMinor:
            Reply(r, {identity_.MinorOnWire()});
            break;
        case kCmdVariant:
            if (faults_.noVariantReply)
                r->notes.push_back("variant query left unanswered");
            else
                Reply(r, {identity_.variant});
            break;
        case kCmdPot:
            Reply(r, {identity_.pot});
            break;
        case kCmdPushbutton:
            Reply(r, {identity_.pushbutton});
            break;
        case kCmdSupply:
            Reply(r, {identity_.supply});
            break;
        case kCmdDumpSettings:
            Reply(r, settingsRange(0, kMainBlockSize));
            break;
        case kCmdReadExtension:
            Reply(r, settingsRange(kMainBlockSize, kExtensionSize));
            break;
        case kCmdLoadSettings:
            expectBlock(kMainBlockSize, 0);
            break;
        case kCmdWriteExtension:
            expectBlock(kExtensionSize, kMainBlockSize);
            break;
        default:
            r->notes.push_back("unknown command 00 " + Hex(byte) + " ignored");
            break;
    }
}

void Keyer::TakeBootLoader(std::uint8_t byte, Result* r) {
    switch (step_) {
        case Step::kIdle:
            if (byte == kAdminPrefix) {
                step_ = Step::kCode;
            } else if (byte == kGoFast) {
                mode_ = Mode::kBootLoaderFrames;
                frameNumber_ = 0;
                r->notes.push_back("boot loader: 35, listening at 9600 baud");
            } else {
                r->notes.push_back("boot loader ignores " + Hex(byte));
            }
            return;
        case Step::kCode:
            if (byte == kCmdEcho) {
                step_ = Step::kArgument;
            } else {
                step_ = Step::kIdle;
                r->notes.push_back("boot loader ignores 00 " + Hex(byte));
            }
            return;
        case Step::kArgument:
            step_ = Step::kIdle;
            Reply(r, {faults_.syncReply.value_or(kSyncAnswer)});
            return;
        case Step::kBlock:
        case Step::kFrame:
            step_ = Step::kIdle;
            return;
    }
}

void Keyer::TakeFrame(std::uint8_t byte, Result* r) {
    if (step_ == Step::kFrame) {
        buffer_.push_back(byte);
        if (buffer_.size() == kFrameSize) FinishFrame(r);
        return;
    }
    if (byte == kFrameNext || byte == kFrameLast) {
        step_ = Step::kFrame;
        buffer_.assign(1, byte);
    } else if (byte == kRestart) {
        mode_ = Mode::kFirmware;
        firmwarePresent_ = true;
        r->restarted = true;
        r->notes.push_back("5A: boot loader restarts the firmware, back at 1200 baud");
    } else {
        Reply(r, {kFrameBadStart});
        mode_ = Mode::kBootLoader;
        r->notes.push_back(Hex(byte) + " where a frame should start: 80, boot loader starts over");
    }
}

void Keyer::FinishFrame(Result* r) {
    step_ = Step::kIdle;
    ++frameNumber_;
    std::uint8_t sum = 0;
    for (std::uint8_t b : buffer_) sum = static_cast<std::uint8_t>(sum + b);
    unsigned address = unsigned(buffer_[1]) << 8 | buffer_[2];
    bool fits = address + kWordsPerFrame <= unsigned(kProgramWords);

    std::uint8_t code = kFrameAccepted;
    if (sum != 0)
        code = kFrameBadChecksum;
    else if (faults_.frameFaultAt == frameNumber_)
        code = faults_.frameFaultCode;
    else if (!fits)
        code = kFrameNotWritten;

    if (code == kFrameAccepted && fits) {
        for (int i = 0; i < kWordsPerFrame; ++i)
            program_[address + i] =
                static_cast<std::uint16_t>(buffer_[3 + 2 * i] | buffer_[4 + 2 * i] << 8);
        ++framesStored_;
        firmwarePresent_ = false;  // half-written until the restart
    } else {
        ++framesRefused_;
    }
    char note[96];
    std::snprintf(note, sizeof note, "frame %d (%02x) word %04x: %02x", frameNumber_, buffer_[0],
                  address, code);
    r->notes.push_back(note);
    buffer_.clear();
    Reply(r, {code});
    if (code != kFrameAccepted) {
        // After a failure the boot loader waits for a new sync at 1200, so
        // the next attempt finds it answering AA.
        mode_ = Mode::kBootLoader;
        r->notes.push_back("boot loader starts over at 1200 baud");
    }
}

bool WriteSettingsFile(const std::string& path, const SettingsBytes& settings, std::string* error) {
    return WriteWhole(path, settings.data(), settings.size(), error);
}

bool ReadSettingsFile(const std::string& path, SettingsBytes* settings, std::string* error) {
    std::vector<std::uint8_t> bytes;
    if (!ReadWhole(path, &bytes, error)) return false;
    if (bytes.size() != std::size_t(kSettingsSize) && bytes.size() != std::size_t(kMainBlockSize)) {
        if (error)
            *error = path + ": " + std::to_string(bytes.size()) + " bytes, expected 300 or 288";
        return false;
    }
    std::copy(bytes.begin(), bytes.end(), settings->begin());
    return true;
}

bool WriteProgramFile(const std::string& path, const ProgramMemory& program, std::string* error) {
    std::vector<std::uint8_t> bytes(program.size() * 2);
    for (std::size_t i = 0; i < program.size(); ++i) {
        bytes[2 * i] = static_cast<std::uint8_t>(program[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<std::uint8_t>(program[i] >> 8);
    }
    return WriteWhole(path, bytes.data(), bytes.size(), error);
}

bool ReadProgramFile(const std::string& path, ProgramMemory* program, std::string* error) {
    std::vector<std::uint8_t> bytes;
    if (!ReadWhole(path, &bytes, error)) return false;
    if (bytes.size() != program->size() * 2) {
        if (error)
            *error = path + ": " + std::to_string(bytes.size()) + " bytes, expected " +
                     std::to_string(program->size() * 2);
        return false;
    }
    for (std::size_t i = 0; i < program->size(); ++i)
        (*program)[i] = static_cast<std::uint16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    return true;
}

}  // namespace zt::sim
