#include "system/files.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <random>

namespace zt {

struct InputFile {
    int fd;
};

namespace {

bool Fail(FileTrouble* trouble, std::string cause, bool notAFile = false) {
    if (trouble) *trouble = {notAFile, std::move(cause)};
    return false;
}

bool FailWithErrno(FileTrouble* trouble, int error) {
    return Fail(trouble, std::string(strerror(error)));
}

// What a name that is no regular file is, in words.
std::string NotAFileCause(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder, not a file";
    if (S_ISFIFO(mode)) return "a named pipe, not a file";
    if (S_ISSOCK(mode)) return "a socket, not a file";
    return "a device, not a file";
}

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

// Where a save goes: the path, or the file its links end at, with what is
// there now.
struct Target {
    std::string path;
    bool exists = false;
    struct stat old {};
};

// A link at the path is followed to the file it names; one that names
// nothing, or a loop, is not replaced by a file of our own.
bool Resolve(const std::string& path, Target& t, FileTrouble* trouble) {
    t.path = path;
    struct stat link {};
    if (lstat(path.c_str(), &link) != 0) {  // 0, or -1 with errno
        if (errno == ENOENT) return true;   // a new file; a missing folder shows when it is made
        return FailWithErrno(trouble, errno);
    }
    if (S_ISLNK(link.st_mode)) {
        char real[PATH_MAX];
        if (!realpath(path.c_str(), real)) {  // nullptr with errno on failure
            if (errno == ELOOP) return Fail(trouble, "a link in a loop of links");
            if (errno != ENOENT) return FailWithErrno(trouble, errno);
            char named[PATH_MAX] = {};
            if (readlink(path.c_str(), named, sizeof named - 1) < 0)  // length, or -1
                return Fail(trouble, "a link to a file that does not exist");
            return Fail(trouble, "a link to " + std::string(named) + ", which does not exist");
        }
        t.path = real;
    }
    if (stat(t.path.c_str(), &t.old) != 0) return FailWithErrno(trouble, errno);  // 0 or -1
    t.exists = true;
    if (!S_ISREG(t.old.st_mode)) return Fail(trouble, NotAFileCause(t.old.st_mode), true);
    // A file without any write permission is kept as it is, also by root,
    // whom access() would let through.
    if ((t.old.st_mode & 0222) == 0) return Fail(trouble, "read-only");
    if (access(t.path.c_str(), W_OK) != 0) return FailWithErrno(trouble, errno);  // 0 or -1
    return true;
}

// A new file beside the target, under a short name of its own so that a
// target name of any allowed length leaves room for it. Created with read and
// write for all, less what the umask takes away. -1 with errno on failure.
int CreateBeside(const Target& t, std::string& temp) {
    thread_local std::mt19937 random{std::random_device{}()};
    const std::string folder = FolderOf(t.path) + "/";
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = folder + ".zt" + std::to_string(random() % 1000000000u) + ".tmp";
        int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;  // fd, or -1 with errno
    }
    return -1;  // errno is EEXIST
}

// The replaced file's owner, group and permissions go to the new one; an
// owner the user may not give away leaves the user's own, and a group they
// are not in the folder's. Set-user-ID, set-group-ID and sticky bits are
// never passed on: a settings file is no program, and a copy of those bits
// on a file this program wrote could be one.
void KeepOwnerAndMode(int fd, const struct stat& old) {
    // 0, or -1 with errno; a group the user is not in leaves the folder's.
    if (fchown(fd, old.st_uid, old.st_gid) != 0 &&
        fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
    }
    fchmod(fd, old.st_mode & 0777);  // 0 or -1; the system drops bits it does not allow
}

}  // namespace

SafeWrite CheckWritable(const std::string& path, FileTrouble* trouble) {
    Target t;
    if (!Resolve(path, t, trouble)) return SafeWrite::CreateFailed;
    std::string temp;
    int fd = CreateBeside(t, temp);
    if (fd < 0) return FailWithErrno(trouble, errno), SafeWrite::CreateFailed;
    close(fd);
    unlink(temp.c_str());
    return SafeWrite::Ok;
}

SafeWrite WriteFileSafely(const std::string& path, std::span<const std::uint8_t> bytes,
                          FileTrouble* trouble) {
    Target t;
    if (!Resolve(path, t, trouble)) return SafeWrite::CreateFailed;
    std::string temp;
    int fd = CreateBeside(t, temp);
    if (fd < 0) return FailWithErrno(trouble, errno), SafeWrite::CreateFailed;
    if (t.exists) KeepOwnerAndMode(fd, t.old);
    bool ok = WriteAll(fd, bytes) && fsync(fd) == 0;
    int error = ok ? 0 : errno;
    if (close(fd) != 0 && ok) ok = false, error = errno;  // a full disk may only show here
    if (!ok) {
        FailWithErrno(trouble, error);
        unlink(temp.c_str());
        return SafeWrite::WriteFailed;
    }
    if (rename(temp.c_str(), t.path.c_str()) != 0) {  // -1 on failure, target untouched
        FailWithErrno(trouble, errno);
        unlink(temp.c_str());
        return SafeWrite::CreateFailed;
    }
    FlushFolder(FolderOf(t.path));
    return SafeWrite::Ok;
}

InputFile* OpenForReading(const std::string& path, FileTrouble* trouble) {
    // Non-blocking, so that a named pipe without a writer cannot hold up the
    // open; what is not a regular file is closed again before any read.
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);  // -1 on failure
    if (fd < 0) return FailWithErrno(trouble, errno), nullptr;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {  // fstat: 0, or -1 with errno
        if (st.st_mode == 0)
            FailWithErrno(trouble, errno);
        else
            Fail(trouble, NotAFileCause(st.st_mode), true);
        close(fd);
        return nullptr;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);  // regular files never block anyway
    return new InputFile{fd};
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
