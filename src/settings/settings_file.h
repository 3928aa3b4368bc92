#pragma once
// Settings files: the 300-byte image as it is, no header. Files of the older
// 288-byte layout are read and brought up to date.

#include <cstdint>
#include <istream>
#include <span>
#include <string>

#include "common/keyer_records.h"
#include "system/files.h"

namespace zt {

enum class SettingsFileResult {
    Ok,
    NotFound,      // the file could not be opened for reading
    InvalidFile,   // not a regular file, or neither 288 nor 300 bytes long
    ReadFailed,    // opened, but its bytes could not all be read
    CreateFailed,  // no file could be made, or the old one not replaced
    WriteFailed,   // the bytes did not all get onto the disk
};

// The message for a failure ("Invalid file."), or nullptr for Ok.
const char* SettingsFileText(SettingsFileResult result);

// Reads the whole file first: the image changes only when the read succeeds.
// trouble, when given, says more about a failure than the result's text.
SettingsFileResult ReadSettingsFile(const std::string& path, SettingsImage& image,
                                    FileTrouble* trouble = nullptr);
// The same for bytes that came from elsewhere, such as a program's input.
SettingsFileResult ReadSettingsBytes(std::span<const std::uint8_t> bytes, SettingsImage& image,
                                     FileTrouble* trouble = nullptr);
// The same for a stream such as a program's input, read to its end but never
// further than one byte past the longest file: endless input is refused as
// soon as it is too long to be a settings file.
SettingsFileResult ReadSettingsStream(std::istream& in, SettingsImage& image,
                                      FileTrouble* trouble = nullptr);
// Always the 300-byte layout; a failed save leaves an existing file whole.
SettingsFileResult WriteSettingsFile(const std::string& path, const SettingsImage& image,
                                     FileTrouble* trouble = nullptr);

}  // namespace zt
