#pragma once
// Whole-file reads, and whole-file writes that never leave a half-written
// file behind. Only regular files are read or replaced: a named pipe would
// block the reader for good, and a device or a folder holds no settings.
// Each system's side is in files_posix.cpp or files_win32.cpp; the stream
// over a file is in files.cpp.

#include <cstdint>
#include <istream>
#include <memory>
#include <span>
#include <string>

namespace zt {

// What stood in the way of a read or a write, for a command line that says
// more than the window's message.
struct FileTrouble {
    bool notAFile = false;  // a folder, a device, a pipe, a socket
    std::string cause;      // in words, e.g. "a named pipe, not a file", "read-only"
};

enum class SafeWrite {
    Ok,
    CreateFailed,  // not replaceable (read-only, not a regular file, a broken
                   // link), or no file could be made there or moved over it
    WriteFailed,   // the bytes did not all get onto the disk
};

// Writes bytes to a new file with a short name of its own in the target's
// folder, flushes it to the disk and renames it over the target, so that on
// any failure the old file stays whole and the new one is removed. The target
// is path, or the file a link at path names (links followed to the end); a
// link that names nothing, or a loop of links, fails. An existing target must
// be a regular file the user may write; it keeps its permissions, and its
// owner and group where the system allows. A new file gets the permissions
// the user's umask leaves of read and write for all.
SafeWrite WriteFileSafely(const std::string& path, std::span<const std::uint8_t> bytes,
                          FileTrouble* trouble = nullptr);
// Whether WriteFileSafely(path) could go ahead, found out without touching
// the target: the same checks, and a file made and removed in its folder.
SafeWrite CheckWritable(const std::string& path, FileTrouble* trouble = nullptr);

// Reading a file from its start, in the steps its callers tell apart: the
// open (others may read it meanwhile), the size, the reads.
struct InputFile;
// Null when the file cannot be opened for reading or is not a regular file;
// trouble (when given) tells the two apart. A named pipe is refused at once,
// without waiting for a writer.
InputFile* OpenForReading(const std::string& path, FileTrouble* trouble = nullptr);
// The file's size in bytes, or -1 when the system cannot tell.
std::int64_t FileSize(InputFile* file);
// Fills buffer up to size bytes; the count read (short only at the end of the
// file), or -1 when a read fails.
std::int64_t ReadBytes(InputFile* file, std::uint8_t* buffer, std::size_t size);
// Closes the file and frees its record; null is ignored.
void CloseFile(InputFile* file);

// A regular file as a byte stream, for the parsers of text files. Opens as
// OpenForReading does; a stream that did not open reads nothing.
class FileStream : public std::istream {
  public:
    explicit FileStream(const std::string& path, FileTrouble* trouble = nullptr);
    ~FileStream() override;
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;
    bool IsOpen() const;

  private:
    class Buffer;
    std::unique_ptr<Buffer> buffer_;
};

}  // namespace zt
