#pragma once
// Whole-file reads, and whole-file writes that never leave a half-written
// file behind. Each system's side is in files_posix.cpp or files_win32.cpp.

#include <cstdint>
#include <span>
#include <string>

namespace zt {

enum class SafeWrite {
    Ok,
    CreateFailed,  // no file could be made there, or the old one not replaced
    WriteFailed,   // the bytes did not all get onto the disk
};

// Writes bytes to a new file beside path, flushes it to the disk and renames it
// over path, so that on any failure the old file stays whole and the new one
// is removed. A link is followed and the file it names replaced. A device or
// other special file cannot be replaced: it is written in place.
SafeWrite WriteFileSafely(const std::string& path, std::span<const std::uint8_t> bytes);

// Reading a file from its start, in the steps its callers tell apart: the
// open (others may read it meanwhile), the size, the reads.
struct InputFile;
// Null when the file cannot be opened for reading, whatever the reason.
InputFile* OpenForReading(const std::string& path);
// The file's size in bytes, or -1 when the system cannot tell.
std::int64_t FileSize(InputFile* file);
// Fills buffer up to size bytes; the count read (short only at the end of the
// file), or -1 when a read fails.
std::int64_t ReadBytes(InputFile* file, std::uint8_t* buffer, std::size_t size);
// Closes the file and frees its record; null is ignored.
void CloseFile(InputFile* file);

}  // namespace zt
