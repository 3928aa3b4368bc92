#include "platform/paths.h"

#include <windows.h>

#include <string>
#include <vector>

namespace zt {

std::string ProgramPath() {
    // Grows the buffer until the whole path fits: a truncated path would name
    // a configuration file somewhere else.
    for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
        std::vector<char> buffer(size);
        // The length stored, or size when truncated, or 0 on failure.
        DWORD n = GetModuleFileNameA(nullptr, buffer.data(), size);
        if (n == 0) return {};
        if (n < size) return std::string(buffer.data(), n);
    }
    return {};
}

std::string ConfigDir() {
    std::string program = ProgramPath();
    const std::size_t slash = program.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : program.substr(0, slash);
}

std::string PortsDir() {
    return {};
}

bool MakeDirs(const std::string& path) {
    if (path.empty()) return false;
    // Each step of the path in turn; drive letters and \\server\share prefixes
    // already exist, so failures there are not failures.
    for (std::size_t pos = path.find_first_of("\\/", 0);;
         pos = path.find_first_of("\\/", pos + 1)) {
        std::string part = path.substr(0, pos);
        if (!part.empty()) CreateDirectoryA(part.c_str(), nullptr);  // FALSE also when it exists
        if (pos == std::string::npos) break;
    }
    const DWORD attributes =
        GetFileAttributesA(path.c_str());  // INVALID_FILE_ATTRIBUTES on failure
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ComTablePath(int n) {
    if (n < 1) return {};
    return "\\\\.\\COM" + std::to_string(n);
}

std::string ComDevicePath(int n) {
    return ComTablePath(n);
}

}  // namespace zt
