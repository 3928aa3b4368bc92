#pragma once
// Whole-file writes that never leave a half-written file behind.

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

}  // namespace zt
