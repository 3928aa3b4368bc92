#include "link/detect.h"

#include <cstdio>

#include "common/app_state.h"
#include "link/commands.h"
#include "link/port.h"
#include "resources/ids.h"

namespace zt {

namespace {

constexpr std::uint8_t kEchoFirmware = 0x55;
constexpr std::uint8_t kEchoBootLoader = 0xAA;
constexpr int kOldestMajor = 30;  // ZT3 firmware starts here

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

void SetIfPresent(ui::Window& w, int id, const std::string& text) {
    if (ui::has(w, id)) ui::setText(w, id, text);
}

int Fail(ui::Window& w, const char* text) {
    SetIfPresent(w, ids::kLinkStatus, text);
    return kDetectFailed;
}

}  // namespace

const char* OpenFailureText(int code) {
    switch (code) {
        case kPortGetStateFailed:
            return "ZT Fail:get comm state";
        case kPortSetStateFailed:
            return "ZT Fail:set comm state";
        case kPortPurgeFailed:
            return "ZT Fail:comm purge";
        default:
            return "ZT Fail:check com port";
    }
}

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

int DetectKeyer(ui::Window& w) {
    SetIfPresent(w, ids::kLinkStatus, "Testing ZT Interface    ");
    if (ui::has(w, ids::kLinkStatus)) ui::setTip(w, ids::kLinkStatus, "");
    ui::repaint(w);  // the text must be on screen during the waits that follow
    if (!appState.portOpen) {
        int code = OpenPort(comPortNumber);
        if (code != kPortOk) {
            if (ui::has(w, ids::kLinkStatus)) ui::setTip(w, ids::kLinkStatus, PortErrorText());
            return Fail(w, OpenFailureText(code));
        }
    }
    std::uint8_t echo = 0;
    if (!SendEchoTest(&echo)) return Fail(w, "ZT Fail:no response");
    if (echo == kEchoBootLoader) {
        appState.chipVariant = kVariantBootLoaderOnly;
        SetIfPresent(w, ids::kLinkStatus, "ZT Fail:No O/S");
        return kDetectBootLoaderOnly;
    }
    if (echo != kEchoFirmware) return Fail(w, "ZT Fail:echo mismatch");

    // A byte that does not come leaves the previous value in place.
    QueryFirmwareMajor(&firmwareMajor);
    QueryFirmwareMinor(&firmwareMinor);
    if (firmwareMajor < kOldestMajor) return Fail(w, "Only supports ZT3");
    // 30.00 to 30.03 predate the variant query and were only built as SMT.
    if (firmwareMajor >= 31 || firmwareMinor >= 4)
        appState.chipVariant = GetChipVariant();
    else
        appState.chipVariant = kVariantSmt;

    SetIfPresent(w, ids::kChipLabel, ChipLabel(appState.chipVariant));
    SetIfPresent(w, ids::kLinkStatus,
                 RevisionText(appState.chipVariant, firmwareMajor, firmwareMinor));
    return firmwareMajor;
}

}  // namespace zt
