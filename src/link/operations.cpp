#include "link/operations.h"

namespace zt {

namespace {

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

TransferOutcome WriteBlocks(Port& port, int storeMs, const SettingsImage& image) {
    const bool extension = WriteExtension(port, image);
    const bool mainBlock = LoadSettings(port, image);
    // The system takes the bytes long before the line carries them: a line
    // that goes away or holds them back meanwhile keeps them from the keyer.
    const Port::PauseEnd pause = port.Pause(storeMs);
    if (!extension || !mainBlock || pause == Port::PauseEnd::NotSent)
        return TransferOutcome::NotSent;
    if (pause == Port::PauseEnd::LostAfterSent) return TransferOutcome::LostWhileStoring;
    return TransferOutcome::Complete;
}

// Detection, then the settings transfer when the keyer is one to transfer
// with and the caller goes on.
template <typename Transfer>
TransferResult Transferring(Port& port, const PortTarget& target, const KeyerIdentity& known,
                            const KeyerWaits& waits, const AfterDetection& after, TransferTo to,
                            Transfer transfer) {
    TransferResult r{DetectAnew(port, target, known, waits), std::nullopt};
    const Detection& d = r.detection;
    if (d.outcome == DetectOutcome::Failed) return r;
    if (to == TransferTo::SettingsCommands) r.transfer = SettingsRefusal(d);
    if (!r.transfer && (!after || after(d))) r.transfer = transfer();
    return r;
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
        case TransferOutcome::BootLoaderOnly:
            return kBootLoaderOnlyText;
        case TransferOutcome::NoSettingsCommands:
            return "the keyer's firmware has no settings commands (31 or later has)";
        default:
            return "";
    }
}

std::optional<TransferOutcome> SettingsRefusal(const Detection& d) {
    if (d.outcome == DetectOutcome::BootLoaderOnly) return TransferOutcome::BootLoaderOnly;
    if (d.outcome == DetectOutcome::Firmware && !AllowedBy(d.identity).settings)
        return TransferOutcome::NoSettingsCommands;
    return std::nullopt;
}

Detection DetectAnew(Port& port, const PortTarget& target, const KeyerIdentity& known,
                     const KeyerWaits& waits) {
    // Always anew: the keyer may have been swapped or restarted since.
    port.Close();
    port.waits() = waits.detection;
    Detection d = DetectKeyer(port, target, known);
    port.waits() = waits.full;
    return d;
}

TestResult TestKeyer(Port& port, const PortTarget& target, const KeyerIdentity& known,
                     const KeyerWaits& waits, const AfterDetection& after) {
    TestResult r{DetectAnew(port, target, known, waits), std::nullopt};
    if (r.detection.outcome == DetectOutcome::Firmware && (!after || after(r.detection)))
        r.values = ReadLiveValues(port, r.detection.identity.chipVariant);
    return r;
}

TransferResult ReadKeyer(Port& port, const PortTarget& target, const KeyerIdentity& known,
                         const KeyerWaits& waits, SettingsImage& image, const AfterDetection& after,
                         TransferTo to) {
    return Transferring(port, target, known, waits, after, to,
                        [&] { return ReadBlocks(port, image); });
}

TransferResult WriteKeyer(Port& port, const PortTarget& target, const KeyerIdentity& known,
                          const KeyerWaits& waits, const SettingsImage& image,
                          const AfterDetection& after, TransferTo to) {
    return Transferring(port, target, known, waits, after, to,
                        [&] { return WriteBlocks(port, waits.storeMs, image); });
}

ReadBack ReadBackSettings(Port& port, const KeyerWaits& waits, const SettingsImage& written) {
    ReadBack r;
    port.waits() = waits.full;
    r.transfer = ReadBlocks(port, r.read);
    if (r.transfer != TransferOutcome::Complete) return r;
    for (int i = 0; i < kSettingsImageSize; ++i)
        if (written[i] != r.read[i]) r.differences.push_back({i, written[i], r.read[i]});
    return r;
}

}  // namespace zt
