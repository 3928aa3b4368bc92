#include "settings/messages.h"

#include <cstdio>
#include <utility>

namespace zt {

// clang-format off
const std::uint8_t MorseCodeTable[96] = {
    //  sp    !    "    #    $    %    &    '    (    )    *    +    ,    -    .    /
        28,  26,  82,   1, 200,   1,   1,  94,  45, 109,  31,  42, 115,  97, 106,  41,
    //   0    1    2    3    4    5    6    7    8    9    :    ;    <    =    >    ?
        63,  62,  60,  56,  48,  32,  33,  35,  39,  47,  45,  26,  42,  49, 104,  76,
    //   @    A    B    C    D    E    F    G    H    I    J    K    L    M    N    O
        86,   6,  17,  21,   9,   2,  20,  11,  16,   4,  30,  13,  18,   7,   5,  15,
    //   P    Q    R    S    T    U    V    W    X    Y    Z    [    \    ]    ^    _
        22,  27,  10,   8,   3,  12,  24,  14,  25,  29,  19,  34,  41,  45,   1,   1,
    //   `    a    b    c    d    e    f    g    h    i    j    k    l    m    n    o
         1,   6,  17,  21,   9,   2,  20,  11,  16,   4,  30,  13,  18,   7,   5,  15,
    //   p    q    r    s    t    u    v    w    x    y    z    {    |    }    ~  DEL
        22,  27,  10,   8,   3,  12,  24,  14,  25,  29,  19,   1,  44,   1,   1,   1,
};
// clang-format on

namespace {

constexpr std::uint8_t kLastByte = 0x80;
constexpr int kStoreEnd = kMessageStoreOffset + kMessageStoreSize;

std::string MessageName(int index) {
    if (index < 12) return "Msg " + std::to_string(index + 1);
    return "User " + std::to_string(index - 11) + " Callsign";
}

// The code point of the UTF-8 sequence at text[at], with its length.
std::optional<std::pair<char32_t, std::size_t>> Utf8At(const std::string& text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0xC0 || lead >= 0xF8) return std::nullopt;
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    if (at + length > text.size()) return std::nullopt;
    char32_t cp = lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[at + k]);
        if ((next & 0xC0) != 0x80) return std::nullopt;
        cp = cp << 6 | (next & 0x3F);
    }
    return std::pair{cp, length};
}

// Edit texts are UTF-8: name the whole character that starts at text[at].
std::string CharacterName(const std::string& text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    char buf[40];
    if (lead == '\t') return "a tab";
    if (lead < 0x80) {
        std::snprintf(buf, sizeof buf, "control character %d", lead);
        return buf;
    }
    const auto utf8 = Utf8At(text, at);
    if (!utf8) {
        std::snprintf(buf, sizeof buf, "the byte 0x%02X", lead);
        return buf;
    }
    std::snprintf(buf, sizeof buf, " (U+%04X)", static_cast<unsigned>(utf8->first));
    return "\"" + text.substr(at, utf8->second) + "\"" + buf;
}

// How a character the encoder cannot store is named: printable ones quoted.
std::string Quoted(unsigned char ch) {
    if (ch == 127) return "DEL (127)";
    return "\"" + std::string(1, static_cast<char>(ch)) + "\"";
}

// The first character of a message that cannot be stored, as a refusal.
std::optional<MessageError> CheckCharacters(int n, const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto ch = static_cast<unsigned char>(text[i]);
        if (ch == '\r' || ch == '\n') continue;
        if (ch < 32 || ch > 127)
            return MessageError{
                MessageName(n) + " holds " + CharacterName(text, i) + ", which has no Morse code.",
                n};
        if (!StorableCharacter(ch))
            return MessageError{MessageName(n) + ": " + Quoted(ch) + " cannot be stored", n};
    }
    return std::nullopt;
}

// Every character counts, also in a text longer than the window's count of
// an edit goes, so that the refusal says how many are really too many.
std::optional<MessageError> CheckMessages(const MessageTexts& texts) {
    std::size_t total = 0;
    for (int n = 0; n < kMessageCount; ++n) {
        if (auto error = CheckCharacters(n, texts[n])) return error;
        total += texts[n].size();
    }
    if (total <= kMessageStoreSize) return std::nullopt;
    const std::size_t over = total - kMessageStoreSize;
    return MessageError{"The messages hold " + std::to_string(total) + " characters, " +
                            std::to_string(over) + " too many: the keyer stores " +
                            std::to_string(kMessageStoreSize) + ".",
                        std::nullopt};
}

std::uint8_t CodeFor(unsigned char ch) {
    if (ch == '\r' || ch == '\n') ch = ' ';
    return MorseCodeTable[ch - 32];
}

}  // namespace

bool HasMorsePattern(int ch) {
    if (ch < 32 || ch > 127) return false;
    // "$" has a pattern, but its code carries the end mark's bit.
    return ch != '$' && MorseCodeTable[ch - 32] != kEmptyPattern;
}

bool StorableCharacter(int ch) {
    return HasMorsePattern(ch) || ch == '#';
}

std::optional<char> CharacterForCode(std::uint8_t code) {
    for (int ch = 32; ch <= 127; ++ch)
        if (MorseCodeTable[ch - 32] == code) return static_cast<char>(ch);
    return std::nullopt;
}

std::optional<MessageError> EncodeMessages(const MessageTexts& texts, SettingsImage& image) {
    if (auto error = CheckMessages(texts)) return error;
    int o = 0;
    for (int n = 0; n < kMessageCount; ++n) {
        const std::size_t length = texts[n].size();
        std::uint8_t& pointer = image[kMessagePointerOffset + n];
        if (length == 0) {
            pointer = 0;
            continue;
        }
        for (std::size_t i = 0; i < length; ++i)
            image[kMessageStoreOffset + o + i] = CodeFor(static_cast<unsigned char>(texts[n][i]));
        image[kMessageStoreOffset + o + length - 1] |= kLastByte;
        pointer = static_cast<std::uint8_t>(o + kFirstPointer);
        o += static_cast<int>(length);
    }
    image[kMessageEndOffset] = static_cast<std::uint8_t>(o + kFirstPointer);  // 241 give 0
    return std::nullopt;
}

std::optional<MessageError> CheckMessageStore(const SettingsImage& image) {
    constexpr int kLastPointer = kStoreEnd - 1 - kMessagePointerBase;
    int next = kFirstPointer;  // the first pointer a message may have
    for (int n = 0; n < kMessageCount; ++n) {
        const int pointer = image[kMessagePointerOffset + n];
        if (pointer == 0) continue;
        const std::string at = " (pointer " + std::to_string(pointer) + ")";
        if (pointer < kFirstPointer)
            return MessageError{MessageName(n) + " points into the pointer table" + at, n};
        if (pointer < next)
            return MessageError{MessageName(n) + " starts before the message ahead of it ends" + at,
                                n};
        int last = pointer;
        while (last <= kLastPointer && !(image[last + kMessagePointerBase] & kLastByte)) ++last;
        if (last > kLastPointer)
            return MessageError{MessageName(n) + " has no end mark before the store ends" + at, n};
        next = last + 1;
    }
    const int end = image[kMessageEndOffset];
    if (end != next % 256)
        return MessageError{"The message store's end byte is " + std::to_string(end) +
                                " where the messages end at " + std::to_string(next % 256),
                            std::nullopt};
    return std::nullopt;
}

MessageTexts DecodeMessages(const SettingsImage& image) {
    MessageTexts texts;
    for (int n = 0; n < kMessageCount; ++n) {
        const int pointer = image[kMessagePointerOffset + n];
        if (pointer == 0) continue;
        // Without an end mark the message ends with the store.
        for (int at = pointer + kMessagePointerBase; at < kStoreEnd; ++at) {
            const std::uint8_t b = image[at];
            const std::optional<char> ch = CharacterForCode(b & 0x7F);
            if (!ch) break;
            texts[n] += *ch;
            if (b & kLastByte) break;
        }
    }
    return texts;
}

}  // namespace zt
