#include "settings/settings_file.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files.h"
#include "settings/image.h"

namespace zt {

namespace {

// In the older layout byte 8 of each user's block (first extension today)
// held what is now that user's extension register, and the extension block
// did not exist: it gets its defaults.
void UpgradeOldLayout(SettingsImage& image) {
    for (User user : {User::One, User::Two}) {
        std::uint8_t& old = At(image, user, Field::FirstExtension);
        At(image, user, Field::ExtensionRegister) = old;
        old = 0;
        At(image, user, Field::RttyRegister1) = 0;
        At(image, user, Field::RttyRegister2) = 0;
        At(image, user, Field::SidetoneVolume) = 4;
        At(image, user, Field::SerialHigh) = 0;
        At(image, user, Field::SerialLow) = 0;
    }
}

bool ReadAll(int fd, std::uint8_t* to, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        ssize_t n = read(fd, to + done, size - done);  // -1 on failure, 0 at the end
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
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

SettingsFileResult ReadSettingsFile(const std::string& path, SettingsImage& image) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);  // -1 on failure
    if (fd < 0) return SettingsFileResult::NotFound;
    struct stat st {};
    const off_t size = fstat(fd, &st) == 0 ? st.st_size : -1;  // fstat: -1 on failure
    if (size != kSettingsImageSize && size != kMainBlockSize) {
        close(fd);
        return SettingsFileResult::InvalidFile;
    }
    SettingsImage buffer = image;
    const bool ok = ReadAll(fd, buffer.data(), static_cast<std::size_t>(size));
    close(fd);
    if (!ok) return SettingsFileResult::ReadFailed;
    if (size == kMainBlockSize) UpgradeOldLayout(buffer);
    image = buffer;
    return SettingsFileResult::Ok;
}

SettingsFileResult WriteSettingsFile(const std::string& path, const SettingsImage& image) {
    switch (WriteFileSafely(path, image)) {
        case SafeWrite::CreateFailed:
            return SettingsFileResult::CreateFailed;
        case SafeWrite::WriteFailed:
            return SettingsFileResult::WriteFailed;
        default:
            return SettingsFileResult::Ok;
    }
}

}  // namespace zt
