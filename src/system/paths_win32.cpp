#include "system/paths.h"

#include <windows.h>
// windows.h first: the shell's header needs its types.
#include <shlobj.h>

#include <cstdlib>
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

namespace {

std::string ProgramDir() {
    std::string program = ProgramPath();
    const std::size_t slash = program.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : program.substr(0, slash);
}

// %APPDATA% as the user's session sets it, else where the shell keeps it.
std::string AppDataDir() {
    const char* env = std::getenv("APPDATA");
    if (env && *env) return env;
    char buffer[MAX_PATH];
    // S_OK, or an error code with the buffer undefined
    if (SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buffer) != S_OK)
        return {};
    return buffer;
}

}  // namespace

bool CanCreateFilesIn(const std::string& dir) {
    if (dir.empty()) return false;
    const std::string probe = dir + "\\zttools-" + std::to_string(GetCurrentProcessId()) + ".probe";
    // CREATE_NEW: never touches a file that is there already. The file goes
    // when its handle closes, also if the program dies in between.
    HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

bool ConfigBesideProgram() {
    const std::string dir = ProgramDir();
    if (dir.empty()) return false;
    const std::string marker = dir + "\\" + kInstalledMarker;
    // INVALID_FILE_ATTRIBUTES when there is no such file
    if (GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
    return CanCreateFilesIn(dir);
}

std::string ConfigDir() {
    if (ConfigBesideProgram()) return ProgramDir();
    const std::string appData = AppDataDir();
    return appData.empty() ? appData : appData + "\\zttools";
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
