#include "link/transfer.h"

#include "link/commands.h"

namespace zt {

TransferResult ReadKeyerSettings(Port& port, SettingsImage& image) {
    SettingsImage arrived = image;
    const bool mainBlock = DumpSettings(port, arrived) == 1;
    const bool extension = ReadExtension(port, arrived) == 1;
    if (!mainBlock) return {false, "ZT Fail:settings read short"};
    if (!extension) return {false, "ZT Fail:extension read short"};
    image = arrived;
    return {true, {}};
}

TransferResult WriteKeyerSettings(Port& port, const SettingsImage& image) {
    const bool extension = WriteExtension(port, image) == 1;
    const bool mainBlock = LoadSettings(port, image) == 1;
    // The system takes the bytes long before the line carries them: a line
    // that goes away meanwhile takes them with it.
    const Port::PauseEnd pause = port.Pause(port.waits().storeMs);
    if (!extension || !mainBlock || pause == Port::PauseEnd::LostBeforeSent)
        return {false, "ZT Fail:settings not sent", false};
    if (pause == Port::PauseEnd::LostAfterSent)
        return {false, "ZT Fail:line lost while storing", true};
    return {true, {}, true};
}

}  // namespace zt
