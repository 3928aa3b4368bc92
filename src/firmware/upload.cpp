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
constexpr std::uint8_t kSyncAnswer = 0xAA;    // to the echo test; running firmware echoes 55
constexpr std::uint8_t kGoFast = 0x35;        // at 1200: the boot loader listens at 9600 from now
constexpr std::uint8_t kAccepted = 0x3C;      // the frame is in flash
constexpr std::uint8_t kTimeoutReply = 0x84;  // also what the log shows for a reply that never came
constexpr std::uint8_t kDoneReply = 0x88;     // programmed, to the last frame
constexpr std::uint8_t kRestart = 0x5A;       // at 9600: start the new firmware, back at 1200
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
UploadResult NoReply(const Port& port) {
    return port.LineFailed() ? UploadResult::ReadFailed : UploadResult::Timeout;
}

// The boot loader's replies to a frame; 3C takes the next one.
struct ReplyRow {
    std::uint8_t reply;
    UploadResult result;
};
constexpr ReplyRow kReplies[] = {
    {kAccepted, UploadResult::Running},     {0x80, UploadResult::SofError},
    {0x81, UploadResult::ChecksumError},    {0x82, UploadResult::VerifyError},
    {kTimeoutReply, UploadResult::Timeout}, {kDoneReply, UploadResult::Done},
    {0x89, UploadResult::SyncError},        {0x00, UploadResult::ZeroReply},
};

// 88 ends the upload well only after the last frame.
UploadResult ReplyResult(std::uint8_t reply, bool last) {
    if (reply == kDoneReply && !last) return UploadResult::StoppedEarly;
    for (const ReplyRow& r : kReplies)
        if (r.reply == reply) return r.result;
    return UploadResult::OtherReply;
}

// One frame and its reply: Running when the keyer took it, otherwise how the
// upload ends. A reply that did not come is logged as a time-out.
UploadResult SendSlot(const UploadJob& job, std::uint8_t command, int slot, bool last) {
    const Frame frame = BuildFrame(command, (*job.image)[slot]);
    if (!job.port->Write(frame.data(), kFrameSize)) return UploadResult::NotSent;
    std::uint8_t reply = 0;
    const bool came = job.port->Read(&reply, 1);
    if (job.log) job.log(FrameLogLine(frame, came ? reply : kTimeoutReply));
    return came ? ReplyResult(reply, last) : NoReply(*job.port);
}

UploadResult Upload(const UploadJob& job, UploadStatus& status) {
    Port& port = *job.port;
    port.waits() = job.waits.full;
    // The line's own failures say why; the keyer's replies need no cause.
    auto failed = [&](UploadResult result) {
        if (result == UploadResult::NotSent || result == UploadResult::ReadFailed)
            status.cause = port.ErrorText();
        return result;
    };
    // The frame or step under way is finished; none is begun after a stop.
    auto stopping = [&] { return status.stopRequested.load(); };
    if (stopping()) return UploadResult::Stopped;
    if (!job.recovery) {
        status.stage = UploadStage::HandOverSent;  // its bytes may go out however the write ends
        if (!EnterBootLoader(port)) return failed(UploadResult::NotSent);
    }
    if (stopping()) return UploadResult::Stopped;
    const Reading sync = SendEchoTest(port);
    if (!sync) return failed(NoReply(port));
    if (sync != kSyncAnswer) return UploadResult::NoBootLoader;
    status.stage = UploadStage::BootLoader;
    if (stopping()) return UploadResult::Stopped;
    if (!port.Write(&kGoFast, 1)) return failed(UploadResult::NotSent);
    if (!SwitchSpeed(port, kFastBaud, job.waits.upload.beforeFast))
        return UploadResult::SpeedFailed;

    const std::vector<int> order = SlotOrder(*job.image);
    for (std::size_t k = 0; k < order.size(); ++k) {
        if (stopping()) return UploadResult::Stopped;
        const int slot = order[k];
        if (slot >= kMainFirst && slot <= kMainLast)
            status.progress.store(slot * 100 / kProgressSpan);
        const bool last = k + 1 == order.size();
        status.stage = UploadStage::Programming;
        const UploadResult frame = SendSlot(job, last ? kFrameLast : kFrameNext, slot, last);
        if (frame != UploadResult::Running) return failed(frame);
        status.frames.store(static_cast<int>(k + 1));
    }

    // Every frame is in: the restart finishes the upload, also after a stop.
    if (!port.Write(&kRestart, 1)) return failed(UploadResult::NotSent);
    if (!SwitchSpeed(port, kSlowBaud, job.waits.upload.afterRestart))
        return UploadResult::SpeedFailed;
    Pause(job.waits.upload.afterSlow);
    return UploadResult::Done;
}

}  // namespace

std::string UploadResultText(UploadResult result, const std::string& cause) {
    static const std::pair<UploadResult, const char*> kTexts[] = {
        {UploadResult::Done, "Upload Completed Successfully"},
        {UploadResult::SofError, "Error: SOF Error !"},
        {UploadResult::ChecksumError, "Error: Checksum !"},
        {UploadResult::VerifyError, "Error: Flash Verify !"},
        {UploadResult::Timeout, "Error: ZOVOV Timeout !"},
        {UploadResult::SyncError, "Error: ZOVOV Sync !"},
        {UploadResult::StoppedEarly, "Error: ZOVOV stopped early, program it again !"},
        {UploadResult::NotStarted, "Error: Upload could not be started !"},
        {UploadResult::Stopped, "Error: Upload stopped !"},
    };
    if (result == UploadResult::NotSent || result == UploadResult::ReadFailed) {
        const std::string what = result == UploadResult::NotSent ? "Write" : "Read";
        return cause.empty() ? "Error: " + what + " failed !"
                             : "Error: " + what + " failed: " + cause + " !";
    }
    for (const auto& [r, text] : kTexts)
        if (r == result) return text;
    return "Error: Restart failed !";
}

void RunUpload(const UploadJob& job, UploadStatus& status) {
    status.result.store(Upload(job, status));
}

UploadDriver::~UploadDriver() {
    if (worker_.joinable()) worker_.join();
}

bool UploadDriver::Start(const UploadJob& job, const WorkerStarter& start) {
    status_.progress = 0;
    status_.frames = 0;
    status_.result = UploadResult::Running;
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
    UploadPoll p{status_.progress, status_.frames, std::nullopt, {}, status_.stage};
    const UploadResult result = status_.result;
    if (result == UploadResult::Running) return p;
    worker_.join();  // storing the result was its last act
    p.result = result;
    p.text = UploadResultText(result, status_.cause);
    status_.result = UploadResult::Running;
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
