// The message store check and the codec on arbitrary bytes. A store the check
// passes must decode, encode again without a refusal, and give a store that
// passes too and decodes to the same texts; whatever the encoder takes must
// pass the check and read back as it was written.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "settings/messages.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

// The input as the pointer table and store (image bytes 32..287).
void FuzzStore(const std::uint8_t* data, std::size_t size) {
    zt::SettingsImage image{};
    for (std::size_t i = 0; i < size && zt::kMessageEndOffset + i < zt::kMainBlockSize; ++i)
        image[zt::kMessageEndOffset + i] = data[i];
    const zt::MessageTexts texts = zt::DecodeMessages(image);
    if (zt::CheckMessageStore(image)) return;
    zt::SettingsImage again = image;
    Require(!zt::EncodeMessages(texts, again));
    Require(!zt::CheckMessageStore(again));
    Require(zt::DecodeMessages(again) == texts);
}

// The input as fourteen texts, split at each 0 byte.
void FuzzTexts(const std::uint8_t* data, std::size_t size) {
    zt::MessageTexts texts;
    int n = 0;
    for (std::size_t i = 0; i < size && n < zt::kMessageCount; ++i) {
        if (data[i] == 0)
            ++n;
        else
            texts[n] += static_cast<char>(data[i]);
    }
    zt::SettingsImage image{};
    if (zt::EncodeMessages(texts, image)) return;
    Require(!zt::CheckMessageStore(image));
    const zt::MessageTexts back = zt::DecodeMessages(image);
    for (int k = 0; k < zt::kMessageCount; ++k) {
        Require(back[k].size() == texts[k].size());
        for (std::size_t i = 0; i < texts[k].size(); ++i) {
            const char c = texts[k][i];
            const std::uint8_t code = zt::MorseCodeTable[(c == '\r' || c == '\n' ? ' ' : c) - 32];
            // Read back as the first character with the written one's pattern.
            Require(zt::CharacterForCode(code) == back[k][i]);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzStore(data, size);
    FuzzTexts(data, size);
    return 0;
}
