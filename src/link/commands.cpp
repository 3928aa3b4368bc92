#include "link/commands.h"

#include <algorithm>

#include "common/app_state.h"
#include "link/port.h"

namespace zt {

namespace {

// Command frames: admin prefix 00, then the admin code, then an argument for
// the two commands that take one. Replies are raw bytes of a fixed length
// (no framing, no checksum); the lengths are at each command below.
constexpr std::uint8_t kAdmin = 0x00;               // first byte of every frame
constexpr std::uint8_t kEchoTest = 0x04;            // arg 55; reply 1: 55 firmware, AA boot loader
constexpr std::uint8_t kEchoArgument = 0x55;        // the byte a running firmware echoes
constexpr std::uint8_t kGetPushbuttonValue = 0x05;  // reply 1
constexpr std::uint8_t kGetPotValue = 0x06;         // reply 1
constexpr std::uint8_t kGetFirmwareMajor = 0x09;    // reply 1
constexpr std::uint8_t kDumpSettings = 0x0C;        // reply 288: image 0..287
constexpr std::uint8_t kLoadSettings = 0x0D;        // data 288: image 0..287; no reply
constexpr std::uint8_t kEnterBootLoader = 0x10;     // arg 9B; no reply
constexpr std::uint8_t kBootLoaderArgument = 0x9B;  // sent after kEnterBootLoader
constexpr std::uint8_t kGetSupplyReading = 0x15;    // reply 1
constexpr std::uint8_t kGetFirmwareMinor = 0x17;    // reply 1: minor + variant offset
constexpr std::uint8_t kGetChipVariant = 0x18;      // reply 1: 1 SMT, 2 DIP, 3 AF, 4 MINI
constexpr std::uint8_t kReadExtension = 0x1A;       // reply 12: image 288..299
constexpr std::uint8_t kWriteExtension = 0x1B;      // data 12: image 288..299; no reply

constexpr int kExtensionStart = kMainBlockSize;

// Reply buffers live as long as the program: a reply the read wait gave up on
// may still be landing in them when the next command starts.
std::uint8_t queryReply[1];
std::uint8_t extensionReply[kExtensionBlockSize];

int QueryFrame(const std::uint8_t* frame, int frameLen, std::uint8_t* reply) {
    if (!Exchange(frame, frameLen, nullptr, 0, queryReply, 1)) return 0;
    *reply = queryReply[0];
    return 1;
}

int QueryByte(std::uint8_t code, std::uint8_t* reply) {
    const std::uint8_t frame[] = {kAdmin, code};
    return QueryFrame(frame, sizeof frame, reply);
}

std::uint8_t QueryOrZero(std::uint8_t code) {
    std::uint8_t reply = 0;
    QueryByte(code, &reply);
    return reply;
}

}  // namespace

int Exchange(const std::uint8_t* frame, int frameLen, const std::uint8_t* data, int dataLen,
             std::uint8_t* reply, int replyLen) {
    int result = WritePort(frame, frameLen);
    if (dataLen > 0) result = WritePort(data, dataLen);
    if (replyLen > 0) result = ReadPort(reply, replyLen);
    return result;
}

int SendEchoTest(std::uint8_t* reply) {
    const std::uint8_t frame[] = {kAdmin, kEchoTest, kEchoArgument};
    return QueryFrame(frame, sizeof frame, reply);
}

int QueryFirmwareMajor(std::uint8_t* reply) {
    return QueryByte(kGetFirmwareMajor, reply);
}
int QueryFirmwareMinor(std::uint8_t* reply) {
    return QueryByte(kGetFirmwareMinor, reply);
}

std::uint8_t GetPotValue() {
    return QueryOrZero(kGetPotValue);
}
std::uint8_t GetPushbuttonValue() {
    return QueryOrZero(kGetPushbuttonValue);
}
std::uint8_t GetSupplyReading() {
    return QueryOrZero(kGetSupplyReading);
}
std::uint8_t GetChipVariant() {
    return QueryOrZero(kGetChipVariant);
}

int DumpSettings() {
    const std::uint8_t frame[] = {kAdmin, kDumpSettings};
    return Exchange(frame, sizeof frame, nullptr, 0, appState.image.data(), kMainBlockSize);
}

int LoadSettings() {
    const std::uint8_t frame[] = {kAdmin, kLoadSettings};
    return Exchange(frame, sizeof frame, appState.image.data(), kMainBlockSize, nullptr, 0);
}

void ReadExtension() {
    const std::uint8_t frame[] = {kAdmin, kReadExtension};
    // The read gives no count, so the buffer starts as the image's own bytes
    // and the copy back stores just the bytes that arrived. It is filled after
    // the frame went out: sending lets an earlier short read into this same
    // buffer run to its end first.
    auto extension = appState.image.begin() + kExtensionStart;
    WritePort(frame, sizeof frame);
    std::copy_n(extension, kExtensionBlockSize, extensionReply);
    ReadPort(extensionReply, kExtensionBlockSize);
    std::copy_n(extensionReply, kExtensionBlockSize, extension);
}

int WriteExtension() {
    const std::uint8_t frame[] = {kAdmin, kWriteExtension};
    return Exchange(frame, sizeof frame, appState.image.data() + kExtensionStart,
                    kExtensionBlockSize, nullptr, 0);
}

void EnterBootLoader() {
    const std::uint8_t frame[] = {kAdmin, kEnterBootLoader, kBootLoaderArgument};
    Exchange(frame, sizeof frame, nullptr, 0, nullptr, 0);
}

double SupplyVolts(std::uint8_t reading) {
    return 26214.4 / reading / 100;
}

}  // namespace zt
