#include "link/detect.h"

#include <cstdio>

#include "common/keyer_records.h"
#include "link/commands.h"

namespace zt {

namespace {

constexpr std::uint8_t kEchoFirmware = 0x55;
constexpr std::uint8_t kEchoBootLoader = 0xAA;
constexpr int kOldestMajor = 30;       // ZT3 firmware starts here; the uploader knows it
constexpr int kSettingsMajor = 31;     // the settings commands and the variant query came with 31
constexpr int kVariantQueryMinor = 4;  // ... or with 30.04

struct VariantRow {
    int variant;
    const char* label;
    const char* revisionFormat;
    int minorOffset;
};

// How each chip variant is shown; the last row stands for every other value.
const VariantRow kVariants[] = {
    {kVariantSmt, "ZT IC: SMT", "ZT F/W ver %d.%02d", 0},
    {kVariantDip, "ZT IC: DIP", "ZT F/W revision %d.%02d", 50},
    {kVariantAf, "ZT IC: AF", "ZT F/W revision %d.%02d", 100},
    {kVariantMini, "ZT IC: MINI", "ZT F/W revision %d.%02d", 150},
    {-1, "ZT IC: ?", "ZT F/W revision %d.%02d", 150},
};

const VariantRow& RowFor(int variant) {
    for (const VariantRow& r : kVariants)
        if (r.variant == variant) return r;
    return kVariants[4];
}

Detection Failed(Detection d, std::string text) {
    d.outcome = DetectOutcome::Failed;
    d.linkStatus = std::move(text);
    return d;
}

}  // namespace

std::string ChipLabel(int variant) {
    return RowFor(variant).label;
}

std::string RevisionText(int variant, int major, int minor) {
    const VariantRow& r = RowFor(variant);
    char text[64];
    std::snprintf(text, sizeof text, r.revisionFormat, major, minor - r.minorOffset);
    return text;
}

std::string SupplyText(int reading) {
    if (reading == 0) return "No reading";
    char text[32];
    std::snprintf(text, sizeof text, "%.2f Volts", SupplyVolts(static_cast<std::uint8_t>(reading)));
    return text;
}

std::string PotText(int value) {
    return "PotValue: " + std::to_string(value);
}

std::string PushbuttonText(int value) {
    return "PB:" + std::to_string(value);
}

const char* const kTestingText = "Testing ZT Interface    ";
const char* const kNoResponseText = "ZT Fail:no response";
const char* const kBootLoaderOnlyText = "only the keyer's boot loader answered";

KeyerAllows AllowedBy(const KeyerIdentity& id) {
    return {id.firmwareMajor >= kOldestMajor || id.chipVariant == kVariantBootLoaderOnly,
            id.firmwareMajor >= kSettingsMajor};
}

namespace {

Detection Identify(Port& port, const PortTarget& target, const KeyerIdentity& known) {
    Detection d;
    d.identity = known;
    if (!port.IsOpen()) {
        d.open = port.Open(target);
        if (d.open != PortOpen::Ok) return Failed(d, OpenFailureStatus(d.open));
    }
    const Reading echo = SendEchoTest(port);
    if (!echo) return Failed(d, kNoResponseText);
    if (echo == kEchoBootLoader) {
        d.outcome = DetectOutcome::BootLoaderOnly;
        d.identity.chipVariant = kVariantBootLoaderOnly;
        d.linkStatus = "ZT Fail:No O/S";
        return d;
    }
    if (echo != kEchoFirmware) return Failed(d, "ZT Fail:echo mismatch");

    // A byte that does not come leaves the earlier value in place. A line
    // that fails meanwhile is why it did not come: no chip is judged by it.
    KeyerIdentity& id = d.identity;
    id.firmwareMajor = QueryFirmwareMajor(port).value_or(id.firmwareMajor);
    id.firmwareMinor = QueryFirmwareMinor(port).value_or(id.firmwareMinor);
    if (port.LineFailed()) return Failed(d, kNoResponseText);
    if (id.firmwareMajor < kOldestMajor) return Failed(d, "Only supports ZT3");
    // 30.00 to 30.03 predate the variant query and were only built as SMT. A
    // variant that does not come is 0, which names none.
    if (id.firmwareMajor >= kSettingsMajor || id.firmwareMinor >= kVariantQueryMinor) {
        const Reading variant = GetChipVariant(port);
        if (port.LineFailed()) return Failed(d, kNoResponseText);
        id.chipVariant = variant.value_or(kVariantUnknown);
    } else {
        id.chipVariant = kVariantSmt;
    }

    d.outcome = DetectOutcome::Firmware;
    d.chipLabel = ChipLabel(id.chipVariant);
    d.linkStatus = RevisionText(id.chipVariant, id.firmwareMajor, id.firmwareMinor);
    return d;
}

}  // namespace

Detection DetectKeyer(Port& port, const PortTarget& target, const KeyerIdentity& known) {
    Detection d = Identify(port, target, known);
    d.portError = port.ErrorText();  // a failed open, or a line that hung up meanwhile
    return d;
}

}  // namespace zt
