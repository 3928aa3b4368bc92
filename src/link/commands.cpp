#include "link/commands.h"

#include <algorithm>

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

// The one exchange every command is made of: the frame, then the data block if
// there is one, then the reply if one is expected. Whether the last step
// succeeded (a frame write's result is looked at only when nothing follows).
bool Exchange(Port& port, const std::uint8_t* frame, int frameLen, const std::uint8_t* data,
              int dataLen, std::uint8_t* reply, int replyLen) {
    bool result = port.Write(frame, frameLen);
    if (dataLen > 0) result = port.Write(data, dataLen);
    if (replyLen > 0) result = port.Read(reply, replyLen);
    return result;
}

Reading QueryFrame(Port& port, const std::uint8_t* frame, int frameLen) {
    std::uint8_t reply = 0;
    if (!Exchange(port, frame, frameLen, nullptr, 0, &reply, 1)) return std::nullopt;
    return reply;
}

Reading QueryByte(Port& port, std::uint8_t code) {
    const std::uint8_t frame[] = {kAdmin, code};
    return QueryFrame(port, frame, sizeof frame);
}

}  // namespace

Reading SendEchoTest(Port& port) {
    const std::uint8_t frame[] = {kAdmin, kEchoTest, kEchoArgument};
    return QueryFrame(port, frame, sizeof frame);
}

Reading QueryFirmwareMajor(Port& port) {
    return QueryByte(port, kGetFirmwareMajor);
}
Reading QueryFirmwareMinor(Port& port) {
    return QueryByte(port, kGetFirmwareMinor);
}
Reading GetChipVariant(Port& port) {
    return QueryByte(port, kGetChipVariant);
}
Reading GetPotValue(Port& port) {
    return QueryByte(port, kGetPotValue);
}
Reading GetPushbuttonValue(Port& port) {
    return QueryByte(port, kGetPushbuttonValue);
}
Reading GetSupplyReading(Port& port) {
    return QueryByte(port, kGetSupplyReading);
}

LiveValues ReadLiveValues(Port& port, int chipVariant) {
    LiveValues v;
    v.hasPushbutton = chipVariant != kVariantMini;
    auto ask = [&](Reading (*query)(Port&), Reading& reading) {
        // A keyer that only let a reply pass leaves the port without complaint;
        // after a line that failed, nothing more would come.
        if (!v.failure.empty() && port.LineFailed()) return;
        reading = query(port);
        if (!reading && v.failure.empty())
            v.failure = port.LineFailed() ? port.ErrorText() : "no reply came";
    };
    ask(GetPotValue, v.pot);
    if (v.hasPushbutton) ask(GetPushbuttonValue, v.pushbutton);
    ask(GetSupplyReading, v.supply);
    return v;
}

bool DumpSettings(Port& port, SettingsImage& image) {
    const std::uint8_t frame[] = {kAdmin, kDumpSettings};
    return Exchange(port, frame, sizeof frame, nullptr, 0, image.data(), kMainBlockSize);
}

bool LoadSettings(Port& port, const SettingsImage& image) {
    const std::uint8_t frame[] = {kAdmin, kLoadSettings};
    return Exchange(port, frame, sizeof frame, image.data(), kMainBlockSize, nullptr, 0);
}

bool ReadExtension(Port& port, SettingsImage& image) {
    const std::uint8_t frame[] = {kAdmin, kReadExtension};
    // The read gives no count, so the buffer starts as the image's own bytes
    // and the copy back stores just the bytes that arrived.
    std::uint8_t reply[kExtensionBlockSize];
    std::copy_n(image.begin() + kExtensionStart, kExtensionBlockSize, reply);
    const bool complete =
        Exchange(port, frame, sizeof frame, nullptr, 0, reply, kExtensionBlockSize);
    std::copy_n(reply, kExtensionBlockSize, image.begin() + kExtensionStart);
    return complete;
}

bool WriteExtension(Port& port, const SettingsImage& image) {
    const std::uint8_t frame[] = {kAdmin, kWriteExtension};
    return Exchange(port, frame, sizeof frame, image.data() + kExtensionStart, kExtensionBlockSize,
                    nullptr, 0);
}

bool EnterBootLoader(Port& port) {
    const std::uint8_t frame[] = {kAdmin, kEnterBootLoader, kBootLoaderArgument};
    return Exchange(port, frame, sizeof frame, nullptr, 0, nullptr, 0);
}

double SupplyVolts(std::uint8_t reading) {
    return 26214.4 / reading / 100;
}

}  // namespace zt
