// ztcli port: the COM port kept in the window's configuration file, which
// ztcli uses too when no --port is given. It writes the same file as the
// window's Set Com Port.
#include "cli/commands.h"
#include "cli/port_choice.h"
#include "common/config_file.h"
#include "link/port_list.h"
#include "system/files.h"
#include "system/paths.h"

namespace zt::cli {

namespace {

// "COM3: /dev/ttyS2, free", as `ports` would say it, or that it is not there.
std::string PortState(int com) {
    const std::string device = ComDevicePath(com);
    if (device.empty()) return "COM" + std::to_string(com) + ": no device";
    switch (ProbeDevice(device)) {
        case ProbeResult::Present:
            return DeviceName(device) + ", free";
        case ProbeResult::Busy:
            return DeviceName(device) + ", busy";
        case ProbeResult::Denied:
            return DeviceName(device) + ", no permission";
        default:
            return DeviceName(device) + ", not present now";
    }
}

int ShowPort(const Context& c) {
    std::string origin;
    const int com = ConfiguredComPort(c, origin);
    c.io.out << origin << ": " << PortState(com) << '\n';
    return kExitOk;
}

}  // namespace

int PortCommand(const Context& c) {
    if (!c.opt.port.empty())
        return c.Fail(kExitUsage, "port takes the port after it (ztcli port 3), not --port");
    if (c.opt.file.empty()) return ShowPort(c);
    Context given = c;
    given.opt.port = c.opt.file;
    PortChoice choice;
    if (int status = ChoosePort(given, choice)) return status;
    if (choice.target.com < 1)
        return c.Fail(kExitUsage,
                      "the configuration keeps a COM number, not a device: give the number "
                      "(ztcli ports lists them), or map the device to one (the guide's \"COM "
                      "numbers\")");
    const std::string path = DesktopConfigFileName();
    if (path.empty())
        return c.Fail(kExitUsage, "no configuration file can be kept: no home folder is known");
    FileTrouble trouble;
    if (CheckWritable(path, &trouble) != SafeWrite::Ok)
        return c.Fail(kExitUsage, path + ": cannot be written (" + trouble.cause + ")");
    if (const char* problem = ConfigStatusText(SaveComPortSetting(path, choice.target.com)))
        return c.Fail(kExitUsage, path + ": " + problem);
    c.Say("COM" + std::to_string(choice.target.com) + " from now on, for ztcli and the window (" +
          path + "): " + PortState(choice.target.com));
    return kExitOk;
}

}  // namespace zt::cli
