#pragma once
// The keyer's message store: fourteen texts packed as Morse codes, one byte
// per character, into image bytes 47..287, with a pointer per message and an
// end mark. Pure functions; the window side is app/message_editor.
//
// A code is the character's Morse pattern, first element in bit 0 (dah 1,
// dit 0), with a single 1 bit above the last element; in the store, bit 7
// marks a message's last byte.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "common/keyer_records.h"

namespace zt {

constexpr int kMessageCount = 14;      // Msg 1..12, then the two users' callsigns
constexpr int kMessageEndOffset = 32;  // used bytes + 15, modulo 256
constexpr int kMessagePointerOffset = 33;
constexpr int kMessageStoreOffset = 47;
constexpr int kMessageStoreSize = 241;
// The window counts at most this many characters of each message edit.
constexpr int kCountedPerMessage = 249;
// The window's "Msg Bytes Left" counts down from one less than the store
// holds: it reads 0 with one character still to go, and -1 when full.
constexpr int kBytesLeftWhenEmpty = kMessageStoreSize - 1;
// A pointer p addresses image offset p + 32: the store's first byte is 15.
constexpr int kFirstPointer = 15;
constexpr int kMessagePointerBase = kMessageStoreOffset - kFirstPointer;

// Codes of characters 32..127; 1 (the empty pattern) for those without one.
extern const std::uint8_t MorseCodeTable[96];

constexpr std::uint8_t kEmptyPattern = 1;

// Characters 32..127 that can be typed into a message: those with a pattern
// whose code the store can hold. "$" (200) cannot: bit 7 would end its message.
bool HasMorsePattern(int ch);
// What the encoder takes beside the typed ones: "#", the character the empty
// pattern reads back as, so a message from a keyer or a file that holds it
// is written back unchanged. Line breaks are not characters here.
bool StorableCharacter(int ch);

// The character a code stands for: the lowest one with that code, or nothing.
std::optional<char> CharacterForCode(std::uint8_t code);

using MessageTexts = std::array<std::string, kMessageCount>;

// Why texts could not be stored, ready to show.
struct MessageError {
    std::string text;
    std::optional<int> message;  // the message at fault (0-13), when it is one
};

// Packs the texts in storage order, a CR or LF stored as a space. Refused,
// with nothing written: a character that cannot be stored (named, with its
// message), and more characters in all than the store holds.
std::optional<MessageError> EncodeMessages(const MessageTexts& texts, SettingsImage& image);

// Whether the message store is laid out so that the keyer reads back what it
// was sent: every message's pointer inside the store and after the end of the
// message before it, each message ended by its end mark, and the end byte just
// past the last message. Gaps between messages are allowed. The refusal names
// the message at fault.
std::optional<MessageError> CheckMessageStore(const SettingsImage& image);

// Unpacks the fourteen messages; a message stops at its end mark, before a
// code no character has, or at the end of the store.
MessageTexts DecodeMessages(const SettingsImage& image);

}  // namespace zt
