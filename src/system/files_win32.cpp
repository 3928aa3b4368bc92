#include "system/files.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <system_error>

namespace zt {

struct InputFile {
    HANDLE handle;
};

namespace {

bool Fail(FileTrouble* trouble, std::string cause, bool notAFile = false) {
    if (trouble) *trouble = {notAFile, std::move(cause)};
    return false;
}

bool FailWithError(FileTrouble* trouble, DWORD error) {
    return Fail(trouble, std::system_category().message(static_cast<int>(error)));
}

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

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos) return ".";
    return path.substr(0, slash);
}

// Where a save goes: the path, or the file a link at it names, with the
// attributes of what is there now.
struct Target {
    std::string path;
    DWORD attributes = INVALID_FILE_ATTRIBUTES;
};

// A symbolic link is followed to the file it names; one that names nothing is
// not replaced by a file of our own.
bool FollowLink(Target& t, FileTrouble* trouble) {
    // Opening follows the link; FILE_FLAG_BACKUP_SEMANTICS lets a folder open too.
    HANDLE h =
        CreateFileA(t.path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                    nullptr);  // INVALID_HANDLE_VALUE on failure
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_CANT_RESOLVE_FILENAME) return Fail(trouble, "a link in a loop of links");
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return Fail(trouble, "a link to a file that does not exist");
        return FailWithError(trouble, error);
    }
    char final[MAX_PATH * 4];
    // The length written, 0 on failure, or more than the buffer when it is too small.
    const DWORD n = GetFinalPathNameByHandleA(h, final, sizeof final, FILE_NAME_NORMALIZED);
    const DWORD error = GetLastError();
    CloseHandle(h);
    if (n == 0 || n >= sizeof final) return FailWithError(trouble, error);
    t.path = final;  // "\\?\C:\...", which the calls below take as it is
    t.attributes = GetFileAttributesA(t.path.c_str());
    return true;
}

bool Resolve(const std::string& path, Target& t, FileTrouble* trouble) {
    t.path = path;
    t.attributes = GetFileAttributesA(path.c_str());  // INVALID_FILE_ATTRIBUTES when missing
    if (t.attributes == INVALID_FILE_ATTRIBUTES) return true;  // a new file
    if ((t.attributes & FILE_ATTRIBUTE_REPARSE_POINT) && !FollowLink(t, trouble)) return false;
    if (t.attributes & FILE_ATTRIBUTE_DIRECTORY) return Fail(trouble, "a folder, not a file", true);
    // Devices ("NUL", "COM1") have no attributes of a file on a disk.
    if (t.attributes & FILE_ATTRIBUTE_DEVICE) return Fail(trouble, "a device, not a file", true);
    if (t.attributes & FILE_ATTRIBUTE_READONLY) return Fail(trouble, "read-only");
    return true;
}

// A short name beside the target that no other save uses at the same time,
// so that a target name of any allowed length leaves room for it.
std::string TempNameFor(const Target& t, unsigned attempt) {
    static std::atomic<unsigned> counter{0};
    char name[32];
    std::snprintf(name, sizeof name, "~zt%05lx%03x.tmp", GetCurrentProcessId() & 0xFFFFFul,
                  (counter++ * 16 + attempt) & 0xFFFu);
    return FolderOf(t.path) + "\\" + name;
}

HANDLE CreateBeside(const Target& t, std::string& temp, FileTrouble* trouble) {
    for (unsigned attempt = 0; attempt < 16; ++attempt) {
        temp = TempNameFor(t, attempt);
        // CREATE_NEW: never takes over a file that is there already.
        HANDLE file =
            CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                        nullptr);  // INVALID_HANDLE_VALUE on failure
        if (file != INVALID_HANDLE_VALUE) return file;
        if (GetLastError() != ERROR_FILE_EXISTS) break;
    }
    FailWithError(trouble, GetLastError());
    return INVALID_HANDLE_VALUE;
}

}  // namespace

SafeWrite CheckWritable(const std::string& path, FileTrouble* trouble) {
    Target t;
    if (!Resolve(path, t, trouble)) return SafeWrite::CreateFailed;
    std::string temp;
    HANDLE file = CreateBeside(t, temp, trouble);
    if (file == INVALID_HANDLE_VALUE) return SafeWrite::CreateFailed;
    CloseHandle(file);
    DeleteFileA(temp.c_str());
    return SafeWrite::Ok;
}

SafeWrite WriteFileSafely(const std::string& path, std::span<const std::uint8_t> bytes,
                          FileTrouble* trouble) {
    Target t;
    if (!Resolve(path, t, trouble)) return SafeWrite::CreateFailed;
    std::string temp;
    HANDLE file = CreateBeside(t, temp, trouble);
    if (file == INVALID_HANDLE_VALUE) return SafeWrite::CreateFailed;

    bool ok = WriteAll(file, bytes) && FlushFileBuffers(file);  // FALSE on failure
    DWORD error = ok ? 0 : GetLastError();
    if (!CloseHandle(file) && ok) ok = false, error = GetLastError();
    if (!ok) {
        FailWithError(trouble, error);
        DeleteFileA(temp.c_str());
        return SafeWrite::WriteFailed;
    }
    // What the replaced file was marked with (hidden, archive) stays with it.
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                            FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    if (t.attributes != INVALID_FILE_ATTRIBUTES && (t.attributes & kKept))
        SetFileAttributesA(temp.c_str(), t.attributes & kKept);  // FALSE on failure; cosmetic
    // Replaces the old file in one step; WRITE_THROUGH returns only once the
    // move is on the disk. FALSE on failure, the old file untouched.
    if (!MoveFileExA(temp.c_str(), t.path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        FailWithError(trouble, GetLastError());
        DeleteFileA(temp.c_str());
        return SafeWrite::CreateFailed;
    }
    return SafeWrite::Ok;
}

InputFile* OpenForReading(const std::string& path, FileTrouble* trouble) {
    const DWORD attributes = GetFileAttributesA(path.c_str());  // INVALID_FILE_ATTRIBUTES if none
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return Fail(trouble, "a folder, not a file", true), nullptr;
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL,
                                nullptr);  // INVALID_HANDLE_VALUE on failure
    if (handle == INVALID_HANDLE_VALUE) return FailWithError(trouble, GetLastError()), nullptr;
    // A pipe or a device ("NUL", "COM1") is no file on a disk: closed before
    // anything is read from it.
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        return Fail(trouble, "a device or a pipe, not a file", true), nullptr;
    }
    return new InputFile{handle};
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
