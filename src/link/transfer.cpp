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
    port.Pause(port.waits().storeMs);
    if (!extension || !mainBlock) return {false, "ZT Fail:settings not sent"};
    return {true, {}};
}

}  // namespace zt
