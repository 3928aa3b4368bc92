#include "firmware/program.h"

#include "firmware/upload.h"

namespace zt {

namespace {

const char* CheckText(ProgramCheck check) {
    switch (check) {
        case ProgramCheck::Upload:
            return "Programming ZOVOV....";
        case ProgramCheck::Recovery:
            return "Programming ZOVOV in Recovery mode....";
        case ProgramCheck::NoFile:
            return "Error: Please Open a Programming File !";
        case ProgramCheck::NoProgramData:
            return "Error: No Program Data in File !";
        case ProgramCheck::NotConnected:
            return "ZT not connected";
        default:
            return "";  // the texts of the load and of the keyer check
    }
}

ProgramStart Ending(ProgramStart s, ProgramCheck check, std::string text = {}) {
    s.check = check;
    s.text = text.empty() ? CheckText(check) : std::move(text);
    return s;
}

}  // namespace

void LoadedImage::Load(const std::string& path, const LoadProgress& progress) {
    fault = {};
    result = LoadImageFile(path, image, progress, &fault);
    if (result <= 0) return;
    identity = IdentifyImage(image[0]);
    loaded = true;
}

std::optional<ProgramStart> RefuseImage(const LoadedImage& firmware) {
    if (!firmware.loaded || firmware.result < 0) return Ending({}, ProgramCheck::NoFile);
    if (firmware.result == 0) return Ending({}, ProgramCheck::ZeroLength, LoadFailureText(0));
    if (!HoldsProgram(firmware.image)) return Ending({}, ProgramCheck::NoProgramData);
    return std::nullopt;
}

ProgramStart PrepareProgram(Port& port, const PortTarget& target, const KeyerIdentity& known,
                            const KeyerWaits& waits, const LoadedImage& firmware) {
    if (std::optional<ProgramStart> refused = RefuseImage(firmware)) return *refused;
    ProgramStart s;
    s.detection = DetectAnew(port, target, known, waits);
    if (s.detection->outcome == DetectOutcome::Failed) return Ending(s, ProgramCheck::NotConnected);
    const ImageCheck check =
        CheckImageForKeyer(s.detection->identity.chipVariant, firmware.identity.family);
    if (!check.refusal.empty()) return Ending(s, ProgramCheck::WrongImage, check.refusal);
    return Ending(s, check.recovery ? ProgramCheck::Recovery : ProgramCheck::Upload);
}

}  // namespace zt
