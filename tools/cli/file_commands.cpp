// The commands that work on files alone: no port is opened.
#include <vector>

#include "cli/commands.h"
#include "cli/json.h"
#include "cli/settings_fields.h"
#include "settings/settings_file.h"

namespace zt::cli {

namespace {

std::vector<std::string> Split(const std::string& name) {
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (std::size_t dot; (dot = name.find('.', from)) != std::string::npos; from = dot + 1)
        parts.push_back(name.substr(from, dot - from));
    parts.push_back(name.substr(from));
    return parts;
}

std::string JsonValue(const ShownSetting& s) {
    if (!s.value) return "null";
    return s.kind == Kind::Number || s.kind == Kind::Flag ? *s.value : Quote(*s.value);
}

// Dotted names become nested objects; settings that share a prefix come one
// after the other, so each object is opened and closed once.
void PrintJson(std::ostream& out, const std::vector<ShownSetting>& settings) {
    std::vector<std::string> open;
    std::vector<bool> started{false};
    auto indent = [&out](std::size_t depth) { out << std::string(2 * depth, ' '); };
    auto close = [&](std::size_t keep) {
        while (open.size() > keep) {
            open.pop_back();
            started.pop_back();
            out << '\n';
            indent(open.size() + 1);
            out << '}';
        }
    };
    auto key = [&](const std::string& name) {
        out << (started.back() ? ",\n" : "\n");
        started.back() = true;
        indent(open.size() + 1);
        out << Quote(name) << ": ";
    };
    out << '{';
    for (const ShownSetting& s : settings) {
        const std::vector<std::string> parts = Split(s.name);
        std::size_t common = 0;
        while (common < open.size() && common + 1 < parts.size() && open[common] == parts[common])
            ++common;
        close(common);
        for (std::size_t i = common; i + 1 < parts.size(); ++i) {
            key(parts[i]);
            out << '{';
            open.push_back(parts[i]);
            started.push_back(false);
        }
        key(parts.back());
        out << JsonValue(s);
    }
    close(0);
    out << "\n}\n";
}

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
        PrintJson(c.io.out, settings);
        return kExitOk;
    }
    for (const ShownSetting& s : settings)
        c.io.out << s.name << " = "
                 << (!s.value               ? "none"
                     : s.kind == Kind::Text ? Quote(*s.value)
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

int LoadFirmware(const Context& c, FirmwareImage& image, ImageIdentity& identity) {
    const int loaded = LoadImageFile(c.opt.file, image);
    if (loaded < 0) {
        const char* why = loaded == kLoadCannotOpen ? "cannot be opened"
                          : loaded == kLoadNoEnd    ? "ends before its end record"
                          : loaded == kLoadBadLine  ? "holds a line that is not a record"
                          : loaded == kLoadBadType  ? "holds a record of an unknown type"
                                                    : "has no name";
        FileTrouble trouble;  // why it could not be opened: asked again, without waiting
        if (loaded == kLoadCannotOpen) CloseFile(OpenForReading(c.opt.file, &trouble));
        return c.Fail(kExitUsage, c.opt.file + ": File Error: the file " + why + " (load result " +
                                      std::to_string(loaded) +
                                      (trouble.cause.empty() ? "" : "; " + trouble.cause) + ")");
    }
    if (loaded == 0) return c.Fail(kExitUsage, c.opt.file + ": Error: Zero Length File !");
    identity = IdentifyImage(image[0]);
    c.Say(LoadedText(identity, loaded));
    return kExitOk;
}

int HexInfoCommand(const Context& c) {
    FirmwareImage image;
    ImageIdentity identity;
    Context loud = c;  // the identification is what was asked for
    loud.opt.quiet = false;
    return LoadFirmware(loud, image, identity);
}

}  // namespace zt::cli
