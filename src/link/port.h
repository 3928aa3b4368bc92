#pragma once
// The serial port: one port open at a time, opened by COM number with the
// keyer's line settings, moved in bounded transfers. Knows no commands.

#include <cstdint>
#include <string>

namespace zt {

// OpenPort results.
constexpr int kPortOk = 0;
constexpr int kPortOpenFailed = -4;  // missing, busy or not permitted
constexpr int kPortGetStateFailed = -5;
constexpr int kPortSetStateFailed = -6;
constexpr int kPortPurgeFailed = -10;

// The device control record, read from the port when it opens and kept for
// the whole run so the upload worker can change only the speed.
struct LineSettings {
    int baudRate = 0;
    int byteSize = 8;
    int parity = 0;    // 0 none
    int stopBits = 0;  // 0 one stop bit
    bool dtrOn = false;
    bool rtsOn = false;
    bool xonXoffOut = false;
    bool xonXoffIn = false;
    bool ctsFlow = false;  // hardware flow control, kept as found
    bool dsrFlow = false;
};
extern LineSettings lineSettings;

// The bounded waits. Shipped values; tests may shorten them through
// PortWaitsForTesting() only.
struct PortWaits {
    int writeMs = 2000;        // WritePort gives up after this
    int readMs = 4000;         // ReadPort gives up after this
    int readTimeoutMs = 4500;  // the port itself keeps filling a short read until this
    int settleMs = 100;        // pause between configuring and purging
};
const PortWaits& portWaits();
PortWaits& PortWaitsForTesting();

int OpenPort(int comNumber);
// 1 when all went out in time. Bytes still unsent when the wait ends keep
// going out, ahead of the next transfer.
int WritePort(const std::uint8_t* bytes, int count);
// 1 when all arrived in time. After a short read the port goes on filling the
// same buffer until readTimeoutMs after the read began (collected at the next
// port call), so the buffer must stay valid until then.
int ReadPort(std::uint8_t* buffer, int count);
void ClosePort();
// Applies lineSettings again (the upload worker's speed change); 1 on success.
int ApplyLineSettings();

// Called now and then while a transfer waits (on the waiting thread), so a
// window can repaint; nullptr for none.
using PortWaitHook = void (*)();
void SetPortWaitHook(PortWaitHook hook);

// Why the last open or transfer failed, for a tooltip; empty after a good open.
const std::string& PortErrorText();

}  // namespace zt
