#include "settings/settings_file.h"

#include <algorithm>
#include <array>

#include "settings/image.h"
#include "settings/schema.h"
#include "system/files.h"

namespace zt {

namespace {

// In the older layout byte 8 of each user's block (first extension today)
// held what is now that user's extension register, and the extension block
// did not exist: the first extension and the block get their defaults.
void UpgradeOldLayout(SettingsImage& image) {
    SettingsImage defaults = image;
    LoadDefaults(defaults);
    std::copy(defaults.begin() + kMainBlockSize, defaults.end(), image.begin() + kMainBlockSize);
    for (User user : kUsers) {
        std::uint8_t& old = At(image, user, Field::FirstExtension);
        At(image, user, Field::ExtensionRegister) = old;
        old = At(defaults, user, Field::FirstExtension);
    }
}

// length: how long the file is, in words ("301", "more than 300").
bool SizeFits(std::int64_t size, FileTrouble* trouble, const std::string& length = {}) {
    if (size == kSettingsImageSize || size == kMainBlockSize) return true;
    if (trouble)
        trouble->cause = (length.empty() ? std::to_string(size) : length) +
                         " bytes long; a settings file holds " +
                         std::to_string(kSettingsImageSize) + " bytes, or " +
                         std::to_string(kMainBlockSize) + " in the older layout";
    return false;
}

}  // namespace

const char* SettingsFileText(SettingsFileResult result) {
    switch (result) {
        case SettingsFileResult::NotFound:
            return "File Not Found";
        case SettingsFileResult::InvalidFile:
            return "Invalid file.";
        case SettingsFileResult::ReadFailed:
            return "Read Settings file failed.";
        case SettingsFileResult::CreateFailed:
            return "Can't open Settings file for write";
        case SettingsFileResult::WriteFailed:
            return "Export Log File Failed.";
        default:
            return nullptr;
    }
}

SettingsFileResult ReadSettingsFile(const std::string& path, SettingsImage& image,
                                    FileTrouble* trouble) {
    FileTrouble opening;
    InputFile* file = OpenForReading(path, &opening);
    if (trouble) *trouble = opening;
    if (!file)
        return opening.notAFile ? SettingsFileResult::InvalidFile : SettingsFileResult::NotFound;
    const std::int64_t size = FileSize(file);
    if (!SizeFits(size, trouble)) {
        CloseFile(file);
        return SettingsFileResult::InvalidFile;
    }
    SettingsImage buffer{};
    // A file that shrank since its size was taken reads short: a failure too.
    const bool ok = ReadBytes(file, buffer.data(), static_cast<std::size_t>(size)) == size;
    CloseFile(file);
    if (!ok) return SettingsFileResult::ReadFailed;
    return ReadSettingsBytes({buffer.data(), static_cast<std::size_t>(size)}, image, trouble);
}

SettingsFileResult ReadSettingsBytes(std::span<const std::uint8_t> bytes, SettingsImage& image,
                                     FileTrouble* trouble) {
    if (!SizeFits(static_cast<std::int64_t>(bytes.size()), trouble))
        return SettingsFileResult::InvalidFile;
    SettingsImage buffer = image;
    std::copy(bytes.begin(), bytes.end(), buffer.begin());
    if (bytes.size() == kMainBlockSize) UpgradeOldLayout(buffer);
    image = buffer;
    return SettingsFileResult::Ok;
}

SettingsFileResult ReadSettingsStream(std::istream& in, SettingsImage& image,
                                      FileTrouble* trouble) {
    std::array<char, kSettingsImageSize + 1> buffer{};
    in.read(buffer.data(), buffer.size());
    const std::int64_t size = in.gcount();
    if (in.bad()) return SettingsFileResult::ReadFailed;
    if (size > kSettingsImageSize) {
        SizeFits(size, trouble, "more than " + std::to_string(kSettingsImageSize));
        return SettingsFileResult::InvalidFile;
    }
    return ReadSettingsBytes(
        {reinterpret_cast<const std::uint8_t*>(buffer.data()), static_cast<std::size_t>(size)},
        image, trouble);
}

SettingsFileResult WriteSettingsFile(const std::string& path, const SettingsImage& image,
                                     FileTrouble* trouble) {
    switch (WriteFileSafely(path, image, trouble)) {
        case SafeWrite::CreateFailed:
            return SettingsFileResult::CreateFailed;
        case SafeWrite::WriteFailed:
            return SettingsFileResult::WriteFailed;
        default:
            return SettingsFileResult::Ok;
    }
}

}  // namespace zt
