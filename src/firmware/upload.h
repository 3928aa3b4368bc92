#pragma once
// The boot-loader upload: brings the keyer into its boot loader, sends the
// image in checksummed 20-byte frames at 9600 baud, one reply byte each,
// and restarts the keyer. It runs on a worker thread of its own and shares
// two values with the window: progress and the result.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "firmware/image.h"
#include "link/port.h"

namespace zt {

// How an upload ended; the frame replies of the boot loader come first.
enum class UploadResult {
    Running,        // not ended yet; for a frame, that the keyer took it (3C)
    Done,           // restarted; also 88 as the last frame's reply
    SofError,       // 80: the frame did not start with 1B or 2E
    ChecksumError,  // 81: the frame's checksum did not add up
    VerifyError,    // 82: the flash did not take the words
    Timeout,        // 84, or no reply within the read wait
    SyncError,      // 89
    OtherReply,     // a reply the boot loader does not send
    ZeroReply,      // 00
    StoppedEarly,   // 88, done, before the last frame
    SpeedFailed,    // the port refused 9600 or 1200 baud
    NoBootLoader,   // the sync answer was not AA
    NotSent,        // a write did not go out; the status says why
    NotStarted,     // the worker's thread could not be started
    ReadFailed,     // the line failed while a reply was awaited
    Stopped,        // stopped on request, between frames
};

// The window's line for a result; "Error: Restart failed !" for those without
// a line of their own. cause completes the lines of NotSent and ReadFailed.
std::string UploadResultText(UploadResult result, const std::string& cause = {});

// How far an upload got with the keyer, which is what decides how to bring
// the keyer back after a failure.
enum class UploadStage {
    Firmware,      // nothing sent yet
    HandOverSent,  // the firmware was told to hand over; its boot loader has not answered
    BootLoader,    // the boot loader answered; no frame has gone out, the firmware is whole
    Programming,   // frames have gone out: the keyer's program is being replaced
};

// Written by the worker only while it runs; the window resets them before and
// after. result is stored once, as the worker's last act; cause before it.
// stopRequested is the caller's: the worker starts no new step once it is set.
struct UploadStatus {
    std::atomic<int> progress{0};  // percent, 0..99, as the main block goes out
    std::atomic<int> frames{0};    // frames the keyer has taken
    std::atomic<UploadResult> result{UploadResult::Running};
    std::atomic<UploadStage> stage{UploadStage::Firmware};
    std::atomic<bool> stopRequested{false};
    std::string cause;  // why a write did not go out or a read failed
};

using UploadLog = std::function<void(const std::string& line)>;

struct UploadJob {
    Port* port = nullptr;                  // open at 1200 baud; the worker's alone meanwhile
    const FirmwareImage* image = nullptr;  // read only, and by nobody else
    bool recovery = false;                 // only the boot loader is there: no hand-over
    UploadLog log;                         // verbose mode: a line per frame; empty for none
    KeyerWaits waits;                      // the full ones for its transfers, and its pauses
};

// The worker: the whole upload, ending with status.result stored. Nothing is
// undone after a failure; the port keeps the speed it had then.
void RunUpload(const UploadJob& job, UploadStatus& status);

// Starts a thread for the worker; throws std::system_error when it cannot,
// as std::thread does. Tests put in one that fails.
using WorkerStarter = std::function<std::thread(std::function<void()>)>;

struct UploadPoll {
    int progress = 0;
    int frames = 0;                      // of SlotOrder's, taken by the keyer
    std::optional<UploadResult> result;  // once the worker has ended
    std::string text;                    // the message line for the result
    UploadStage stage = UploadStage::Firmware;
};

// The upload as the window's timer and ztcli follow it: started on a worker
// thread, polled for its progress, and joined once the worker has stored its
// result. Polling never waits for a running worker, which may itself be
// waiting for the polling thread to take a log line.
class UploadDriver {
  public:
    UploadDriver() = default;
    ~UploadDriver();  // joins a worker still running
    UploadDriver(const UploadDriver&) = delete;
    UploadDriver& operator=(const UploadDriver&) = delete;

    // False when the thread could not be started (UploadResult::NotStarted). Without
    // a starter, std::thread starts it.
    bool Start(const UploadJob& job, const WorkerStarter& start = {});
    // From Start until a poll has reported the result.
    bool Running() const { return worker_.joinable(); }
    UploadPoll Poll();
    // Asks the worker to stop: the frame on the line is finished, no new step
    // is begun, and the upload ends as Stopped. Safe from any thread.
    void RequestStop() { status_.stopRequested = true; }

  private:
    UploadStatus status_;
    std::thread worker_;
};

constexpr int kFrameSize = 20;
using Frame = std::array<std::uint8_t, kFrameSize>;
constexpr std::uint8_t kFrameNext = 0x1B;
constexpr std::uint8_t kFrameLast = 0x2E;  // the keyer finishes programming after this one

// command, the slot's address and data as stored, then the byte that makes
// all twenty add up to 0.
Frame BuildFrame(std::uint8_t command, const ImageSlot& slot);
// "0020 - ff3f ff3f ff3f ff3f ff3f ff3f ff3f ff3f 3c\r\n": address, data, reply.
std::string FrameLogLine(const Frame& frame, std::uint8_t reply);
// The slots in the order they go: the high block if the image has one, the
// main block, then the reset and interrupt vectors, which make the new
// firmware start, last.
std::vector<int> SlotOrder(const FirmwareImage& image);
// Whether a slot that goes to the keyer holds a word that is not blank. An
// image with none would only erase the keyer's program.
bool HoldsProgram(const FirmwareImage& image);

// The program memory an image fills: its words that are not blank, at the
// word addresses their slots name.
struct ImageFill {
    int words = 0;
    int filledSlots = 0;  // that hold at least one of them
    int firstWord = 0;    // the lowest and the highest of their addresses; 0 when none
    int lastWord = 0;
    int unsentWords = 0;  // of them, in slots that an upload does not send (SlotOrder)
};
ImageFill MeasureImage(const FirmwareImage& image);

}  // namespace zt
