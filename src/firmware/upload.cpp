#include "firmware/upload.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iterator>
#include <system_error>
#include <thread>

#include "link/commands.h"

namespace zt {

namespace {

// The boot loader's side of the conversation.
constexpr std::uint8_t kSyncAnswer = 0xAA;  // to the echo test; running firmware echoes 55
constexpr std::uint8_t kGoFast = 0x35;      // at 1200: the boot loader listens at 9600 from now
constexpr std::uint8_t kAccepted = 0x3C;    // the frame is in flash
constexpr std::uint8_t kRestart = 0x5A;     // at 9600: start the new firmware, back at 1200
constexpr int kSlowBaud = 1200;
constexpr int kFastBaud = 9600;

// Slots, as image indices. The high block goes first when its first slot
// holds data: two groups of four, the later group first.
constexpr int kHighBlockMark = 1012;
constexpr int kHighBlock[] = {1012, 1013, 1014, 1015, 1000, 1001, 1002, 1003};
constexpr int kMainFirst = 4, kMainLast = 955;
constexpr int kVectorSlots = 4;     // 0..3, sent after everything else
constexpr int kProgressSpan = 960;  // main slot i shows i * 100 / 960 percent

void Pause(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// The pause lets the last byte at the old speed get out and the keyer switch.
bool SwitchSpeed(Port& port, int baud, int pauseMs) {
    Pause(pauseMs);
    port.lineSettings().baudRate = baud;
    return port.ApplyLineSettings();
}

// Why no reply came: the keyer said nothing, or the line failed.
int NoReply(const Port& port) {
    return port.LineFailed() ? kUploadReadFailed : kUploadTimeout;
}

// One frame and its reply byte; kUploadTimeout or kUploadReadFailed when none
// came, kUploadNotSent when the frame did not go out.
int SendSlot(const UploadJob& job, std::uint8_t command, int slot) {
    const Frame frame = BuildFrame(command, (*job.image)[slot]);
    if (!job.port->Write(frame.data(), kFrameSize)) return kUploadNotSent;
    std::uint8_t reply = 0;
    const bool came = job.port->Read(&reply, 1);
    if (!came) reply = kUploadTimeout;
    if (job.log) job.log(FrameLogLine(frame, reply));
    return came ? reply : NoReply(*job.port);
}

// 3C takes the next frame; 88 ends the upload well only after the last one.
int FrameOutcome(int reply, bool last) {
    if (reply == 0) return kUploadZeroReply;
    if (reply == kUploadDone && !last) return kUploadStoppedEarly;
    return reply;
}

int Upload(const UploadJob& job, UploadStatus& status) {
    Port& port = *job.port;
    // The line's own failures say why; the keyer's replies need no cause.
    auto failed = [&](int result) {
        if (result == kUploadNotSent || result == kUploadReadFailed)
            status.cause = port.ErrorText();
        return result;
    };
    // The frame or step under way is finished; none is begun after a stop.
    auto stopping = [&] { return status.stopRequested.load(); };
    if (stopping()) return kUploadStopped;
    if (!job.recovery) {
        status.stage = UploadStage::HandOverSent;  // its bytes may go out however the write ends
        if (!EnterBootLoader(port)) return failed(kUploadNotSent);
    }
    if (stopping()) return kUploadStopped;
    const Reading sync = SendEchoTest(port);
    if (!sync) return failed(NoReply(port));
    if (sync != kSyncAnswer) return kUploadNoBootLoader;
    status.stage = UploadStage::BootLoader;
    if (stopping()) return kUploadStopped;
    if (!port.Write(&kGoFast, 1)) return failed(kUploadNotSent);
    if (!SwitchSpeed(port, kFastBaud, job.waits.beforeFast)) return kUploadSpeedFailed;

    const std::vector<int> order = SlotOrder(*job.image);
    for (std::size_t k = 0; k < order.size(); ++k) {
        if (stopping()) return kUploadStopped;
        const int slot = order[k];
        if (slot >= kMainFirst && slot <= kMainLast)
            status.progress.store(slot * 100 / kProgressSpan);
        const bool last = k + 1 == order.size();
        status.stage = UploadStage::Programming;
        const int reply = SendSlot(job, last ? kFrameLast : kFrameNext, slot);
        if (reply == kUploadNotSent || reply == kUploadReadFailed) return failed(reply);
        if (reply != kAccepted) return FrameOutcome(reply, last);
    }

    // Every frame is in: the restart finishes the upload, also after a stop.
    if (!port.Write(&kRestart, 1)) return failed(kUploadNotSent);
    if (!SwitchSpeed(port, kSlowBaud, job.waits.afterRestart)) return kUploadSpeedFailed;
    Pause(job.waits.afterSlow);
    return kUploadDone;
}

}  // namespace

std::string UploadResultText(int result, const std::string& cause) {
    switch (result) {
        case kUploadDone:
            return "Upload Completed Successfully";
        case kUploadSofError:
            return "Error: SOF Error !";
        case kUploadChecksumError:
            return "Error: Checksum !";
        case kUploadVerifyError:
            return "Error: Flash Verify !";
        case kUploadTimeout:
            return "Error: ZOVOV Timeout !";
        case kUploadSyncError:
            return "Error: ZOVOV Sync !";
        case kUploadStoppedEarly:
            return "Error: ZOVOV stopped early, program it again !";
        case kUploadNotSent:
            return cause.empty() ? "Error: Write failed !" : "Error: Write failed: " + cause + " !";
        case kUploadReadFailed:
            return cause.empty() ? "Error: Read failed !" : "Error: Read failed: " + cause + " !";
        case kUploadNotStarted:
            return "Error: Upload could not be started !";
        case kUploadStopped:
            return "Error: Upload stopped !";
        default:
            return "Error: Restart failed !";
    }
}

void RunUpload(const UploadJob& job, UploadStatus& status) {
    status.result.store(Upload(job, status));
}

UploadDriver::~UploadDriver() {
    if (worker_.joinable()) worker_.join();
}

bool UploadDriver::Start(const UploadJob& job, const WorkerStarter& start) {
    status_.progress = 0;
    status_.result = kUploadRunning;
    status_.stage = UploadStage::Firmware;
    status_.stopRequested = false;
    status_.cause.clear();
    std::function<void()> work = [job, this] { RunUpload(job, status_); };
    try {
        worker_ = start ? start(std::move(work)) : std::thread(std::move(work));
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

UploadPoll UploadDriver::Poll() {
    UploadPoll p{status_.progress, std::nullopt, {}, status_.stage};
    const int result = status_.result;
    if (result == kUploadRunning) return p;
    worker_.join();  // storing the result was its last act
    p.result = result;
    p.text = UploadResultText(result, status_.cause);
    status_.result = kUploadRunning;
    return p;
}

Frame BuildFrame(std::uint8_t command, const ImageSlot& slot) {
    Frame f{};
    f[0] = command;
    f[1] = slot.addressHigh;
    f[2] = slot.addressLow;
    std::copy(slot.data.begin(), slot.data.end(), f.begin() + 3);
    std::uint8_t sum = 0;
    for (int i = 0; i < kFrameSize - 1; ++i) sum = static_cast<std::uint8_t>(sum + f[i]);
    f[kFrameSize - 1] = static_cast<std::uint8_t>(-sum);
    return f;
}

std::string FrameLogLine(const Frame& frame, std::uint8_t reply) {
    char line[64];
    int n = std::snprintf(line, sizeof line, "%02x%02x -", frame[1], frame[2]);
    for (int i = 3; i < 3 + kSlotBytes; i += 2)
        n += std::snprintf(line + n, sizeof line - n, " %02x%02x", frame[i], frame[i + 1]);
    std::snprintf(line + n, sizeof line - n, " %02x\r\n", reply);
    return line;
}

std::vector<int> SlotOrder(const FirmwareImage& image) {
    std::vector<int> order;
    if (image[kHighBlockMark].data[0] != 0xFF)
        order.assign(std::begin(kHighBlock), std::end(kHighBlock));
    for (int slot = kMainFirst; slot <= kMainLast; ++slot) order.push_back(slot);
    for (int slot = 0; slot < kVectorSlots; ++slot) order.push_back(slot);
    return order;
}

bool HoldsProgram(const FirmwareImage& image) {
    const ImageFill fill = MeasureImage(image);
    return fill.words > fill.unsentWords;
}

ImageFill MeasureImage(const FirmwareImage& image) {
    std::array<bool, kImageSlots> sent{};
    for (int slot : SlotOrder(image)) sent[slot] = true;
    ImageFill fill;
    for (int slot = 0; slot < kImageSlots; ++slot) {
        const ImageSlot& s = image[slot];
        const int address = s.addressHigh << 8 | s.addressLow;
        int words = 0;
        for (int w = 0; w < kSlotWords; ++w) {
            if (s.data[2 * w] == 0xFF && s.data[2 * w + 1] == 0x3F) continue;  // blank
            const bool first = fill.words + words == 0;
            fill.firstWord = first ? address + w : std::min(fill.firstWord, address + w);
            fill.lastWord = first ? address + w : std::max(fill.lastWord, address + w);
            ++words;
        }
        fill.words += words;
        fill.filledSlots += words > 0;
        if (!sent[slot]) fill.unsentWords += words;
    }
    return fill;
}

}  // namespace zt
