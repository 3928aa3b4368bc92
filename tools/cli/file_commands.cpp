// The commands that work on files: no port is opened, but for a diff with
// the keyer's settings. A settings file named "-" is the program's input
// (or, for read, its output).
#include <cstdio>
#include <memory>
#include <sstream>

#include "cli/commands.h"
#include "cli/json.h"
#include "cli/settings_fields.h"
#include "firmware/upload.h"
#include "settings/settings_file.h"
#include "system/files.h"

namespace zt::cli {

namespace {

// The window's text for a settings file that failed, and what the system or
// the file says beyond it.
int FileFailure(const Context& c, const std::string& path, const char* problem,
                const FileTrouble& trouble) {
    return c.Fail(kExitUsage, path + ": " + problem +
                                  (trouble.cause.empty() ? "" : " (" + trouble.cause + ")"));
}

// A settings file on the input, read no further than a settings file goes.
int ReadSettingsInput(const Context& c, SettingsImage& image) {
    if (c.io.binary) c.io.binary(true);
    std::istringstream nothing;
    FileTrouble trouble;
    const SettingsFileResult read =
        ReadSettingsStream(c.io.in ? *c.io.in : nothing, image, &trouble);
    if (const char* problem = SettingsFileText(read))
        return FileFailure(c, InputName("-"), problem, trouble);
    return kExitOk;
}

// The settings a JSON document holds, from a file or from "-", the input;
// read no further than a document of show's shape could go, give or take.
int ReadJsonSettings(const Context& c, std::vector<Assignment>& changes) {
    const std::string path = InputName(c.opt.other);
    FileTrouble trouble;
    std::unique_ptr<FileStream> file;
    std::istream* in = c.io.in;
    if (c.opt.other != "-") {
        file = std::make_unique<FileStream>(path, &trouble);
        if (!file->IsOpen())
            return c.Fail(kExitUsage, path + ": cannot be read (" + trouble.cause + ")");
        in = file.get();
    }
    std::string text(kSettingsJsonLimit + 1, '\0');
    if (in) in->read(text.data(), std::ssize(text));
    text.resize(in ? static_cast<std::size_t>(in->gcount()) : 0);
    if (in && in->bad()) return c.Fail(kExitUsage, path + ": cannot be read");
    if (text.size() > kSettingsJsonLimit)
        return c.Fail(kExitUsage, path + ": more than " + std::to_string(kSettingsJsonLimit >> 20) +
                                      " MiB, far longer than what ztcli show --json prints");
    if (auto wrong = SettingsFromJson(text, changes))
        return c.Fail(kExitUsage, path + ": " + *wrong);
    return kExitOk;
}

// set and apply change a file in place: the input will not do.
int NeedsAFile(const Context& c) {
    if (c.opt.file != "-") return kExitOk;
    return c.Fail(kExitUsage,
                  "set and apply change a settings file in place: name the file, not -");
}

// diff's A or B: a settings file, or the keyer's settings for "keyer". A
// keyer that failed has a status of its own there, since 1 is a difference.
int ReadSource(const Context& c, const std::string& source, SettingsImage& image) {
    if (source != "keyer") return ReadSettings(c, source, image);
    const int status = ReadFromKeyer(c, image);
    return status == kExitKeyer ? kExitDiffKeyer : status;
}

}  // namespace

int ReadSettings(const Context& c, SettingsImage& image) {
    return ReadSettings(c, c.opt.file, image);
}

int ReadSettings(const Context& c, const std::string& path, SettingsImage& image) {
    if (path == "-") return ReadSettingsInput(c, image);
    FileTrouble trouble;
    if (const char* problem = SettingsFileText(ReadSettingsFile(path, image, &trouble)))
        return FileFailure(c, path, problem, trouble);
    return kExitOk;
}

int SaveSettings(const Context& c, const SettingsImage& image) {
    if (c.opt.file == "-") {
        if (c.io.binary) c.io.binary(false);
        c.io.out.write(reinterpret_cast<const char*>(image.data()), std::ssize(image));
        if (c.io.out.flush()) return kExitOk;
        return FileFailure(c, "standard output", SettingsFileText(SettingsFileResult::WriteFailed),
                           {false, "a closed pipe or a full disk"});
    }
    FileTrouble trouble;
    if (const char* problem = SettingsFileText(WriteSettingsFile(c.opt.file, image, &trouble)))
        return FileFailure(c, c.opt.file, problem, trouble);
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
    // A value the editor would refuse is shown all the same, marked.
    for (const ShownSetting& s : settings)
        c.io.out << s.name << " = " << ShownText(s)
                 << (s.refusal ? "  # refused: " + *s.refusal : "") << '\n';
    return kExitOk;
}

int SetCommand(const Context& c) {
    if (int status = NeedsAFile(c)) return status;
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

int ApplyCommand(const Context& c) {
    if (int status = NeedsAFile(c)) return status;
    std::vector<Assignment> changes;
    if (int status = ReadJsonSettings(c, changes)) return status;
    SettingsImage image{};
    if (int status = ReadSettings(c, image)) return status;
    if (auto refusal = SetSettings(image, changes)) return c.Fail(kExitUsage, *refusal);
    return SaveSettings(c, image);
}

int DiffCommand(const Context& c) {
    const bool keyer = c.opt.file == "keyer" || c.opt.other == "keyer";
    if (keyer && RunsAsBatch(c)) return DiffOnPorts(c);
    if (c.opt.json)
        return c.Fail(kExitUsage, "diff --json gives a record per keyer: name keyer as A or B");
    SettingsImage a{}, b{};
    if (int status = ReadSource(c, c.opt.file, a)) return status;
    if (int status = ReadSource(c, c.opt.other, b)) return status;
    const std::vector<std::string> differing = DifferingSettings(a, b);
    for (const std::string& line : differing) c.io.out << line << '\n';
    // 1 says that the differences are listed: when they could not be, the
    // output's failure is the outcome (RunCli tells it).
    return differing.empty() || !c.io.out.flush() ? kExitOk : kExitKeyer;
}

int LoadFirmware(const Context& c, LoadedImage& firmware) {
    firmware.Load(c.opt.file);
    const int loaded = firmware.result;
    if (loaded == 0) return c.Fail(kExitUsage, c.opt.file + ": " + LoadFailureText(loaded));
    if (loaded > 0) return kExitOk;
    // Where and why, then the window's text and the code.
    std::string where = firmware.fault.reason.empty() ? "" : LoadFaultText(firmware.fault) + " (";
    FileTrouble trouble;  // why it could not be opened: asked again, without waiting
    if (loaded == kLoadCannotOpen) CloseFile(OpenForReading(c.opt.file, &trouble));
    return c.Fail(kExitUsage, c.opt.file + ": " + where + LoadFailureText(loaded) +
                                  (where.empty() ? " (" : "; ") + "load result " +
                                  std::to_string(loaded) +
                                  (trouble.cause.empty() ? "" : "; " + trouble.cause) + ")");
}

namespace {

std::string Count(int n, const std::string& what) {
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

std::string WordAddress(int word) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", word);
    return text;
}

// What an image fills of program memory, and whether an upload would send
// anything but blank words, which Program refuses.
std::string FillText(const LoadedImage& firmware) {
    const ImageFill fill = MeasureImage(firmware.image);
    std::string text = "Program memory: ";
    if (fill.words == 0) text += "blank throughout";
    if (fill.words > 0)
        text +=
            Count(fill.words, "word") + " in " + Count(fill.filledSlots, "slot") +
            (fill.firstWord == fill.lastWord ? ", word address " + WordAddress(fill.firstWord)
                                             : ", word addresses " + WordAddress(fill.firstWord) +
                                                   " to " + WordAddress(fill.lastWord));
    if (fill.unsentWords > 0)
        text += "\nLeft out by an upload: " + Count(fill.unsentWords, "word") +
                ", in slots it does not send";
    if (!HoldsProgram(firmware.image))
        text +=
            "\nNo program data: an upload would send only blank words, and FW Update "
            "refuses it (Error: No Program Data in File !)";
    return text;
}

}  // namespace

int HexInfoCommand(const Context& c) {
    LoadedImage firmware;
    if (int status = LoadFirmware(c, firmware)) return status;
    c.io.out << LoadedText(firmware.identity, firmware.result) << '\n'
             << FillText(firmware) << '\n';
    return kExitOk;
}

}  // namespace zt::cli
