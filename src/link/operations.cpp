#include "link/operations.h"

namespace zt {

namespace {

// Every operation starts on a freshly opened, purged port.
Detection Begin(Port& port, const PortTarget& target, const KeyerIdentity& known) {
    port.Close();
    return DetectKeyer(port, target, known);
}

// The caller hears of every detection; the operation goes on after one that
// found something, unless the caller stops it.
bool GoesOn(const Detection& d, const AfterDetection& after) {
    const bool wanted = !after || after(d);
    return wanted && d.outcome != DetectOutcome::Failed;
}

// Both commands always go out; image changes only when both replies came whole.
TransferOutcome ReadBlocks(Port& port, SettingsImage& image) {
    SettingsImage arrived = image;
    const bool mainBlock = DumpSettings(port, arrived);
    const bool extension = ReadExtension(port, arrived);
    if (!mainBlock) return TransferOutcome::ReadShort;
    if (!extension) return TransferOutcome::ExtensionShort;
    image = arrived;
    return TransferOutcome::Complete;
}

TransferOutcome WriteBlocks(Port& port, const SettingsImage& image) {
    const bool extension = WriteExtension(port, image);
    const bool mainBlock = LoadSettings(port, image);
    // The system takes the bytes long before the line carries them: a line
    // that goes away or holds them back meanwhile keeps them from the keyer.
    const Port::PauseEnd pause = port.Pause(port.waits().storeMs);
    if (!extension || !mainBlock || pause == Port::PauseEnd::NotSent)
        return TransferOutcome::NotSent;
    if (pause == Port::PauseEnd::LostAfterSent) return TransferOutcome::LostWhileStoring;
    return TransferOutcome::Complete;
}

}  // namespace

const char* TransferText(TransferOutcome outcome) {
    switch (outcome) {
        case TransferOutcome::ReadShort:
            return "ZT Fail:settings read short";
        case TransferOutcome::ExtensionShort:
            return "ZT Fail:extension read short";
        case TransferOutcome::NotSent:
            return "ZT Fail:settings not sent";
        case TransferOutcome::LostWhileStoring:
            return "ZT Fail:line lost while storing";
        default:
            return "";
    }
}

TestResult TestKeyer(Port& port, const PortTarget& target, const KeyerIdentity& known,
                     const AfterDetection& after) {
    TestResult r{Begin(port, target, known), std::nullopt};
    if (GoesOn(r.detection, after) && r.detection.outcome == DetectOutcome::Firmware)
        r.values = ReadLiveValues(port, r.detection.identity.chipVariant);
    return r;
}

TransferResult ReadKeyer(Port& port, const PortTarget& target, const KeyerIdentity& known,
                         SettingsImage& image, const AfterDetection& after) {
    TransferResult r{Begin(port, target, known), std::nullopt};
    if (GoesOn(r.detection, after)) r.transfer = ReadBlocks(port, image);
    return r;
}

TransferResult WriteKeyer(Port& port, const PortTarget& target, const KeyerIdentity& known,
                          const SettingsImage& image, const AfterDetection& after) {
    TransferResult r{Begin(port, target, known), std::nullopt};
    if (GoesOn(r.detection, after)) r.transfer = WriteBlocks(port, image);
    return r;
}

ReadBack ReadBackSettings(Port& port, const SettingsImage& written) {
    ReadBack r;
    r.transfer = ReadBlocks(port, r.read);
    if (r.transfer != TransferOutcome::Complete) return r;
    for (int i = 0; i < kSettingsImageSize; ++i)
        if (written[i] != r.read[i]) r.differences.push_back({i, written[i], r.read[i]});
    return r;
}

}  // namespace zt
