#include "platform/files.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zt {

struct InputFile {
    int fd;
};

namespace {

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);  // -1 on failure
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

SafeWrite WriteInPlace(const std::string& path, std::span<const std::uint8_t> bytes) {
    int fd = open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);  // -1 on failure
    if (fd < 0) return SafeWrite::CreateFailed;
    bool ok = WriteAll(fd, bytes);
    if (close(fd) != 0) ok = false;
    return ok ? SafeWrite::Ok : SafeWrite::WriteFailed;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Makes the rename itself survive a power cut; a folder that cannot be
// flushed still holds the new file, so this is not a failure.
void FlushFolder(const std::string& folder) {
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);  // -1 on failure
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

}  // namespace

SafeWrite WriteFileSafely(const std::string& path, std::span<const std::uint8_t> bytes) {
    struct stat old {};
    const bool exists = stat(path.c_str(), &old) == 0;  // follows links; -1 when missing
    if (exists && !S_ISREG(old.st_mode)) return WriteInPlace(path, bytes);
    std::string target = path;
    if (exists) {
        if (char* real = realpath(path.c_str(), nullptr)) {  // nullptr on failure
            target = real;
            free(real);
        }
    }
    std::string temp = target + ".XXXXXX";
    int fd = mkostemp(temp.data(), O_CLOEXEC);  // -1 on failure; created with mode 0600
    if (fd < 0) return SafeWrite::CreateFailed;
    fchmod(fd, exists ? (old.st_mode & 07777) : 0644);  // as the old file was
    bool ok = WriteAll(fd, bytes) && fsync(fd) == 0;
    if (close(fd) != 0) ok = false;  // a full disk may only show here
    if (!ok) {
        unlink(temp.c_str());
        return SafeWrite::WriteFailed;
    }
    if (rename(temp.c_str(), target.c_str()) != 0) {  // -1 on failure, target untouched
        unlink(temp.c_str());
        return SafeWrite::CreateFailed;
    }
    FlushFolder(FolderOf(target));
    return SafeWrite::Ok;
}

InputFile* OpenForReading(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);  // -1 on failure
    return fd < 0 ? nullptr : new InputFile{fd};
}

std::int64_t FileSize(InputFile* file) {
    struct stat st {};
    return fstat(file->fd, &st) == 0 ? st.st_size : -1;  // fstat: -1 on failure
}

std::int64_t ReadBytes(InputFile* file, std::uint8_t* buffer, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        ssize_t n = read(file->fd, buffer + done, size - done);  // -1 on failure, 0 at the end
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<std::int64_t>(done);
}

void CloseFile(InputFile* file) {
    if (!file) return;
    close(file->fd);  // 0 or -1; a file only read has nothing left to lose
    delete file;
}

}  // namespace zt
