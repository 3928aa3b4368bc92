#pragma once
// The keyer's administrative commands, one function each, over an open port.
// Every one blocks its caller for at most the port's transfer waits.

#include <cstdint>
#include <optional>
#include <string>

#include "common/keyer_records.h"
#include "link/port.h"

namespace zt {

// A one-byte reply, or nothing when it did not arrive: a reply of 0 is a
// reading like any other.
using Reading = std::optional<std::uint8_t>;

Reading SendEchoTest(Port& port);  // 55 firmware running, AA boot loader only
Reading QueryFirmwareMajor(Port& port);
Reading QueryFirmwareMinor(Port& port);
Reading GetChipVariant(Port& port);
Reading GetPotValue(Port& port);
Reading GetPushbuttonValue(Port& port);
Reading GetSupplyReading(Port& port);

// Test's three readouts, asked in this order. The MINI has no push-button
// input, so it is not asked. None is asked once the line has failed.
struct LiveValues {
    Reading pot;
    Reading pushbutton;
    Reading supply;
    bool hasPushbutton = true;
    // Why the first readout that did not come failed: the line's trouble (it
    // hung up, the request did not go out, an error) or that no reply came.
    // Empty when every one came.
    std::string failure;
};
LiveValues ReadLiveValues(Port& port, int chipVariant);

// Image bytes 0..287 straight from the keyer; whether all arrived. Bytes that
// do not arrive leave the image as it was.
bool DumpSettings(Port& port, SettingsImage& image);
// Image bytes 0..287 to the keyer; whether the block went out in full.
bool LoadSettings(Port& port, const SettingsImage& image);
// Image bytes 288..299 from the keyer; the bytes that arrived are stored from
// 288 on, the rest stay as they were. Whether all arrived.
bool ReadExtension(Port& port, SettingsImage& image);
// Image bytes 288..299 to the keyer; whether the block went out in full.
bool WriteExtension(Port& port, const SettingsImage& image);
// The keyer leaves its firmware for its boot loader; nothing comes back.
// Whether the command went out.
bool EnterBootLoader(Port& port);

// The supply voltage for a GetSupplyReading reply; a reading of 0 has none
// (the division gives infinity), so callers show their own text for it.
double SupplyVolts(std::uint8_t reading);

}  // namespace zt
