#pragma once
// Program: what the uploader's Program button and `ztcli upload` check
// before the upload starts, in the window's order. First the image (nothing
// loaded, no data records, no program data), then the keyer: detection on a
// freshly opened port, and whether the keyer takes an image of this family.

#include <optional>
#include <string>

#include "common/keyer_records.h"
#include "firmware/identify.h"
#include "firmware/image.h"
#include "link/detect.h"
#include "link/operations.h"
#include "link/port.h"

namespace zt {

// The latest load, as Program sees it.
struct LoadedImage {
    FirmwareImage image{};
    int result = 0;          // records, or a load failure code (image.h)
    LoadFault fault;         // where and why the latest load failed in the records
    bool loaded = false;     // a load has succeeded; a failed one later leaves it set
    ImageIdentity identity;  // of the latest successful load

    // A failure keeps `loaded` and the identity as they were.
    void Load(const std::string& path, const LoadProgress& progress = {});
};

enum class ProgramCheck {
    Upload,
    Recovery,       // only the keyer's boot loader answered: any image goes
    NoFile,         // nothing loaded, or the latest load failed, leaving a partly blank image
    ZeroLength,     // no data records
    NoProgramData,  // what would go to the keyer is all blank
    NotConnected,   // detection failed
    WrongImage,     // built for another chip than the keyer's
};

struct ProgramStart {
    ProgramCheck check = ProgramCheck::NoFile;
    // The uploader's line for it: "Programming ZOVOV....", "ZT not connected",
    // "Error: Zero Length File !", the keyer check's refusal, ...
    std::string text;
    std::optional<Detection> detection;  // when the checks got as far as the keyer

    bool Goes() const { return check == ProgramCheck::Upload || check == ProgramCheck::Recovery; }
};

// The image's own checks, which need no keyer: none when it passes them, else
// how Program ends (NoFile, ZeroLength, NoProgramData) without a detection.
std::optional<ProgramStart> RefuseImage(const LoadedImage& firmware);

// The checks in order. The port is closed, reopened on target and the keyer
// detected (DetectAnew) only for an image that passes its own; when the
// upload Goes, the port is open at 1200 baud for the worker.
ProgramStart PrepareProgram(Port& port, const PortTarget& target, const KeyerIdentity& known,
                            const KeyerWaits& waits, const LoadedImage& firmware);

}  // namespace zt
