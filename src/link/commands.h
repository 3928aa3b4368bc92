#pragma once
// The keyer's administrative commands, one function each, over the open port.
// Every one blocks its caller for at most the port's transfer waits.

#include <cstdint>

namespace zt {

// The one exchange every command is made of: the frame, then the data block if
// there is one, then the reply if one is expected. The result is that of the
// last step (a frame write's result is looked at only when nothing follows).
int Exchange(const std::uint8_t* frame, int frameLen, const std::uint8_t* data, int dataLen,
             std::uint8_t* reply, int replyLen);

// Detection's own exchanges. Each returns 1 and stores the reply byte when it
// arrived, else returns 0 and leaves *reply as it was.
int SendEchoTest(std::uint8_t* reply);  // 55 firmware running, AA boot loader only
int QueryFirmwareMajor(std::uint8_t* reply);
int QueryFirmwareMinor(std::uint8_t* reply);

// One-byte queries: the reply, or 0 when it did not arrive in full.
std::uint8_t GetPotValue();
std::uint8_t GetPushbuttonValue();
std::uint8_t GetSupplyReading();
std::uint8_t GetChipVariant();

// Settings image bytes 0..287 straight from the keyer; 1 when all arrived.
// Bytes that do not arrive leave the image as it was.
int DumpSettings();
// Image bytes 0..287 to the keyer; 1 when the block went out in full.
int LoadSettings();
// Image bytes 288..299 from the keyer; what does not arrive stays as it was.
void ReadExtension();
// Image bytes 288..299 to the keyer; 1 when the block went out in full.
int WriteExtension();
// The keyer leaves its firmware for its boot loader; nothing comes back.
void EnterBootLoader();

// The supply voltage for a GetSupplyReading reply; a reading of 0 has none
// (the division gives infinity), so callers show their own text for it.
double SupplyVolts(std::uint8_t reading);

}  // namespace zt
