#include "cli/file_pattern.h"

namespace zt::cli {

namespace {

constexpr const char* kCom = "{com}";
constexpr const char* kChip = "{chip}";

std::string Replaced(std::string text, const std::string& placeholder, const std::string& value) {
    for (std::size_t at = text.find(placeholder); at != std::string::npos;
         at = text.find(placeholder, at + value.size()))
        text.replace(at, placeholder.size(), value);
    return text;
}

// What {com} stands for on a port.
std::string ComText(const PortChoice& where) {
    const std::string& path = where.target.device;
    if (path.empty()) return std::to_string(where.target.com);
    return path.substr(path.find_last_of("/\\") + 1);
}

std::string ChipText(const Detection& d) {
    if (d.outcome == DetectOutcome::BootLoaderOnly) return "bootloader";
    const std::string chip = d.chipLabel.substr(d.chipLabel.rfind(' ') + 1);
    return d.outcome == DetectOutcome::Firmware && chip != "?" ? chip : "unknown";
}

}  // namespace

bool HasCom(const std::string& pattern) {
    return pattern.find(kCom) != std::string::npos;
}

bool HasChip(const std::string& pattern) {
    return pattern.find(kChip) != std::string::npos;
}

std::string FillCom(const std::string& pattern, const PortChoice& where) {
    return Replaced(pattern, kCom, ComText(where));
}

std::string FillChip(const std::string& pattern, const Detection& d) {
    return Replaced(pattern, kChip, ChipText(d));
}

std::string PatternProblem(const std::string& pattern, const PortSet& set) {
    const std::vector<PortChoice>& ports = set.ports;
    if (set.Several() && !HasCom(pattern) && !HasChip(pattern))
        return "names one file for every keyer; put {com} (the COM number) or {chip} (the "
               "chip) in it, so that each keyer's file is its own (keyer-{com}.eep)";
    for (std::size_t i = 0; i < ports.size(); ++i)
        for (std::size_t j = i + 1; j < ports.size(); ++j)
            if (HasCom(pattern) && ComText(ports[i]) == ComText(ports[j]))
                return PortName(ports[i]) + " and " + PortName(ports[j]) + " would both make " +
                       FillCom(pattern, ports[i]);
    return {};
}

}  // namespace zt::cli
