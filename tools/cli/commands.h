#pragma once
// ztcli's commands; each returns the status to exit with and has printed why.

#include "cli/context.h"
#include "cli/port_choice.h"
#include "common/keyer_records.h"
#include "firmware/program.h"
#include "firmware/upload.h"
#include "link/port.h"

namespace zt::cli {

// On the keyer (keyer_commands.cpp).
int PortsCommand(const Context& c);
int TestCommand(const Context& c);
int ReadCommand(const Context& c);
int WriteCommand(const Context& c);
int UploadCommand(const Context& c);
// The keyer's settings as Read ZT reads them (detection first); kExitOk, or
// the status to exit with after saying why.
int ReadFromKeyer(const Context& c, SettingsImage& image);

// The keyer commands on several ports, each side by side with the others, and
// summed up in a table or with --json a record per port
// (batch_commands.cpp). read, write, upload and diff run so with --json on a
// single port too. What the commands check once for all ports (the settings
// to write, the firmware image) comes checked.
inline bool RunsAsBatch(const Context& c) {
    return SeveralPorts(c) || c.opt.json;
}
int TestOnPorts(const Context& c);
int ReadOnPorts(const Context& c);
int WriteOnPorts(const Context& c, const SettingsImage& image);
int UploadOnPorts(const Context& c, const LoadedImage& firmware);
int DiffOnPorts(const Context& c);

// The COM port used without --port, kept in the window's configuration file
// (config_command.cpp).
int PortCommand(const Context& c);

// On files alone (file_commands.cpp).
int ShowCommand(const Context& c);
int SetCommand(const Context& c);
int ApplyCommand(const Context& c);
int DiffCommand(const Context& c);
int HexInfoCommand(const Context& c);

// How a file that is read is named in messages: "-" is the input.
inline std::string InputName(const std::string& path) {
    return path == "-" ? "standard input" : path;
}

// opt.file (or path) as a settings file, "-" the input; kExitOk, or kExitUsage after saying why.
int ReadSettings(const Context& c, SettingsImage& image);
int ReadSettings(const Context& c, const std::string& path, SettingsImage& image);
// opt.file, "-" the output.
int SaveSettings(const Context& c, const SettingsImage& image);

// Loads opt.file as a firmware image; kExitUsage after saying why when it
// cannot be used.
int LoadFirmware(const Context& c, LoadedImage& firmware);

}  // namespace zt::cli
