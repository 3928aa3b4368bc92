// ztcli apply on arbitrary input: the first 300 bytes are the settings
// image, the rest the JSON document. Applying is all or nothing (a refused
// document leaves the image byte for byte as it was), a document applied a
// second time changes nothing, and what show --json prints of an image the
// editor accepts applies to another image and shows the same again.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "cli/settings_fields.h"
#include "cli/settings_json.h"
#include "settings/edits.h"
#include "settings/messages.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

// As ztcli apply does it: the document's settings, then all of them or none.
bool Apply(zt::SettingsImage& image, std::string_view document) {
    std::vector<zt::cli::Assignment> changes;
    return !zt::cli::SettingsFromJson(document, changes) && !zt::cli::SetSettings(image, changes);
}

std::string Shown(const zt::SettingsImage& image) {
    return zt::cli::JsonText(zt::cli::SettingsJson(zt::cli::ShowSettings(image)), true);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zt::SettingsImage start{};
    const std::size_t imageBytes = std::min(size, start.size());
    std::copy(data, data + imageBytes, start.begin());
    const std::string_view document(reinterpret_cast<const char*>(data) + imageBytes,
                                    size - imageBytes);

    zt::SettingsImage image = start;
    if (!Apply(image, document)) {
        Require(image == start);
    } else {
        zt::SettingsImage again = image;
        Require(Apply(again, document));
        Require(again == image);
    }

    if (zt::CheckImage(start) || zt::CheckMessageStore(start)) return 0;
    const std::string shown = Shown(start);
    zt::SettingsImage other{};
    zt::LoadDefaults(other);
    Require(Apply(other, shown));
    Require(Shown(other) == shown);
    return 0;
}
