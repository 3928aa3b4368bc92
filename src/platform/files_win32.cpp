#include "platform/files.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>

namespace zt {

struct InputFile {
    HANDLE handle;
};

namespace {

bool WriteAll(HANDLE file, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        // FALSE on failure; a full disk may also show as fewer bytes written.
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

SafeWrite WriteInPlace(const std::string& path, std::span<const std::uint8_t> bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);  // INVALID_HANDLE_VALUE on failure
    if (file == INVALID_HANDLE_VALUE) return SafeWrite::CreateFailed;
    bool ok = WriteAll(file, bytes);
    if (!CloseHandle(file)) ok = false;
    return ok ? SafeWrite::Ok : SafeWrite::WriteFailed;
}

// A name beside the target that no other save uses at the same time.
std::string TempNameFor(const std::string& target, unsigned attempt) {
    static std::atomic<unsigned> counter{0};
    return target + "." + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++) +
           "-" + std::to_string(attempt) + ".tmp";
}

}  // namespace

SafeWrite WriteFileSafely(const std::string& path, std::span<const std::uint8_t> bytes) {
    const DWORD old = GetFileAttributesA(path.c_str());  // INVALID_FILE_ATTRIBUTES when missing
    const bool exists = old != INVALID_FILE_ATTRIBUTES;
    if (exists && (old & FILE_ATTRIBUTE_DIRECTORY)) return SafeWrite::CreateFailed;
    // Devices ("NUL", "COM1") have no attributes of a file on a disk: written in place.
    if (exists && (old & FILE_ATTRIBUTE_DEVICE)) return WriteInPlace(path, bytes);

    std::string temp;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (unsigned attempt = 0; attempt < 16 && file == INVALID_HANDLE_VALUE; ++attempt) {
        temp = TempNameFor(path, attempt);
        // CREATE_NEW: never takes over a file that is there already.
        file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);  // INVALID_HANDLE_VALUE on failure
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS)
            return SafeWrite::CreateFailed;
    }
    if (file == INVALID_HANDLE_VALUE) return SafeWrite::CreateFailed;

    bool ok = WriteAll(file, bytes) && FlushFileBuffers(file);  // FALSE on failure
    if (!CloseHandle(file)) ok = false;
    if (!ok) {
        DeleteFileA(temp.c_str());
        return SafeWrite::WriteFailed;
    }
    // Replaces the old file in one step; WRITE_THROUGH returns only once the
    // move is on the disk. FALSE on failure, the old file untouched.
    if (!MoveFileExA(temp.c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(temp.c_str());
        return SafeWrite::CreateFailed;
    }
    return SafeWrite::Ok;
}

InputFile* OpenForReading(const std::string& path) {
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL,
                                nullptr);  // INVALID_HANDLE_VALUE on failure
    return handle == INVALID_HANDLE_VALUE ? nullptr : new InputFile{handle};
}

std::int64_t FileSize(InputFile* file) {
    LARGE_INTEGER size{};
    return GetFileSizeEx(file->handle, &size) ? size.QuadPart : -1;  // FALSE on failure
}

std::int64_t ReadBytes(InputFile* file, std::uint8_t* buffer, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 20));
        DWORD got = 0;
        // FALSE on failure; TRUE with 0 bytes at the end of the file.
        if (!::ReadFile(file->handle, buffer + done, chunk, &got, nullptr)) return -1;
        if (got == 0) break;
        done += got;
    }
    return static_cast<std::int64_t>(done);
}

void CloseFile(InputFile* file) {
    if (!file) return;
    CloseHandle(file->handle);  // FALSE only for a bad handle; a read file has nothing to lose
    delete file;
}

}  // namespace zt
