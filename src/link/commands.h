#pragma once
// The keyer's administrative commands, one function each, over an open port.
// Every one blocks its caller for at most the port's transfer waits.

#include <cstdint>
#include <optional>
#include <string>

#include "common/app_state.h"
#include "link/port.h"

namespace zt {

// The one exchange every command is made of: the frame, then the data block if
// there is one, then the reply if one is expected. The result is that of the
// last step (a frame write's result is looked at only when nothing follows).
int Exchange(Port& port, const std::uint8_t* frame, int frameLen, const std::uint8_t* data,
             int dataLen, std::uint8_t* reply, int replyLen);

// Detection's own exchanges. Each returns 1 and stores the reply byte when it
// arrived, else returns 0 and leaves *reply as it was.
int SendEchoTest(Port& port, std::uint8_t* reply);  // 55 firmware running, AA boot loader only
int QueryFirmwareMajor(Port& port, std::uint8_t* reply);
int QueryFirmwareMinor(Port& port, std::uint8_t* reply);

// One-byte queries: the reply, or 0 when it did not arrive in full.
std::uint8_t GetPotValue(Port& port);
std::uint8_t GetPushbuttonValue(Port& port);
std::uint8_t GetSupplyReading(Port& port);
std::uint8_t GetChipVariant(Port& port);

// Test's three readouts, asked in this order. The MINI has no push-button
// input, so it is not asked. A reply that does not come reads as 0.
struct LiveValues {
    std::uint8_t pot = 0;
    std::optional<std::uint8_t> pushbutton;
    std::uint8_t supply = 0;
    // Why a readout fell short when the line failed during them (it hung up,
    // or the port reported an error); empty when it held.
    std::string lineFailure;
};
LiveValues ReadLiveValues(Port& port, int chipVariant);

// Image bytes 0..287 straight from the keyer; 1 when all arrived. Bytes that
// do not arrive leave the image as it was.
int DumpSettings(Port& port, SettingsImage& image);
// Image bytes 0..287 to the keyer; 1 when the block went out in full.
int LoadSettings(Port& port, const SettingsImage& image);
// Image bytes 288..299 from the keyer; the bytes that arrived are stored from
// 288 on, the rest stay as they were. 1 when all arrived.
int ReadExtension(Port& port, SettingsImage& image);
// Image bytes 288..299 to the keyer; 1 when the block went out in full.
int WriteExtension(Port& port, const SettingsImage& image);
// The keyer leaves its firmware for its boot loader; nothing comes back.
// 1 when the command went out.
int EnterBootLoader(Port& port);

// The supply voltage for a GetSupplyReading reply; a reading of 0 has none
// (the division gives infinity), so callers show their own text for it.
double SupplyVolts(std::uint8_t reading);

}  // namespace zt
