// The commands that work on files alone: no port is opened.

#include "cli/commands.h"
#include "cli/json.h"
#include "cli/settings_fields.h"
#include "settings/settings_file.h"

namespace zt::cli {

namespace {

// The window's text for a settings file that failed, and what the system or
// the file says beyond it.
int FileFailure(const Context& c, const char* problem, const FileTrouble& trouble) {
    return c.Fail(kExitUsage, c.opt.file + ": " + problem +
                                  (trouble.cause.empty() ? "" : " (" + trouble.cause + ")"));
}

}  // namespace

int ReadSettings(const Context& c, SettingsImage& image) {
    FileTrouble trouble;
    if (const char* problem = SettingsFileText(ReadSettingsFile(c.opt.file, image, &trouble)))
        return FileFailure(c, problem, trouble);
    return kExitOk;
}

int SaveSettings(const Context& c, const SettingsImage& image) {
    FileTrouble trouble;
    if (const char* problem = SettingsFileText(WriteSettingsFile(c.opt.file, image, &trouble)))
        return FileFailure(c, problem, trouble);
    return kExitOk;
}

int ShowCommand(const Context& c) {
    SettingsImage image{};
    if (int status = ReadSettings(c, image)) return status;
    const std::vector<ShownSetting> settings = ShowSettings(image);
    if (c.opt.json) {
        c.io.out << JsonText(SettingsJson(settings), true);
        return kExitOk;
    }
    for (const ShownSetting& s : settings)
        c.io.out << s.name << " = "
                 << (!s.value               ? "none"
                     : s.kind == Kind::Text ? JsonString(*s.value)
                                            : *s.value)
                 << '\n';
    return kExitOk;
}

int SetCommand(const Context& c) {
    std::vector<Assignment> changes;
    for (const std::string& text : c.opt.assignments) {
        auto a = ParseAssignment(text);
        if (!a) return c.Fail(kExitUsage, "\"" + text + "\" is not FIELD=VALUE");
        changes.push_back(*a);
    }
    SettingsImage image{};
    if (int status = ReadSettings(c, image)) return status;
    if (auto refusal = SetSettings(image, changes)) return c.Fail(kExitUsage, *refusal);
    return SaveSettings(c, image);
}

int LoadFirmware(const Context& c, LoadedImage& firmware) {
    firmware.Load(c.opt.file);
    const int loaded = firmware.result;
    if (loaded < 0) {
        FileTrouble trouble;  // why it could not be opened: asked again, without waiting
        if (loaded == kLoadCannotOpen) CloseFile(OpenForReading(c.opt.file, &trouble));
        return c.Fail(kExitUsage, c.opt.file + ": " + LoadFailureText(loaded) + " (load result " +
                                      std::to_string(loaded) +
                                      (trouble.cause.empty() ? "" : "; " + trouble.cause) + ")");
    }
    if (loaded == 0) return c.Fail(kExitUsage, c.opt.file + ": " + LoadFailureText(loaded));
    c.Say(LoadedText(firmware.identity, loaded));
    return kExitOk;
}

int HexInfoCommand(const Context& c) {
    LoadedImage firmware;
    Context loud = c;  // the identification is what was asked for
    loud.opt.quiet = false;
    return LoadFirmware(loud, firmware);
}

}  // namespace zt::cli
