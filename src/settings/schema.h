#pragma once
// The settings schema: every setting the keyer stores, once, by name. A row
// says where the value lives in the image, what kind of value it is, the
// values the editor accepts and what it says otherwise, its list entries and
// its factory default. The editor, the checks before a write, the defaults
// and the old-file upgrade, and ztcli's show, set, apply and diff all go
// through these rows (changes through settings/edits.h); the window binds
// its controls to them by name (app/setting_controls.h). Bits that no row
// owns are carried as they are.
//
// Adding a setting: a row in kSettingRows (a number also takes its place in
// kEditorChecks; the build says so when it is missing), a control in the
// dialog's template, and its binding.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "settings/image.h"
#include "settings/messages.h"

namespace zt {

enum class Kind : std::uint8_t { Number, Flag, Choice, Text };

// How a value is kept in the image.
enum class Place : std::uint8_t {
    Bits,       // the field's bits under mask, shifted down: a number, a flag, an entry's index
    Sidetone,   // shown in Hz, kept as 62500 / Hz; a code of 0 has no frequency
    Serial,     // shown from 1, kept less 1 in the two serial bytes, high first
    PotMax,     // the pot's maximum, kept as the range above the minimum
    PotMin,     // the pot's minimum; storing it keeps the maximum where it was
    Output,     // the output selection's entry, from the port, ST and PTT bits
    KeyerMode,  // the keyer mode's entry, from mode bits 5-4 and the Ultimatic variant
    Selection,  // 1 or 2, from a bit of User 1's aux register, which both users share
    Message,    // a message's text, through the message codec
};

struct Setting {
    const char* name;  // as ztcli prints it; a user's own get "user1." or "user2." before it
    Kind kind;
    Place place;
    Field field = Field::ModeRegister;  // Bits: where the bits are; converters: where they start
    std::uint8_t mask = 0xFF;           // Bits, Output, KeyerMode, Selection: the bits it owns
    std::int32_t byDefault = 0;         // as shown: a number, a flag's 0 or 1, an entry's index
    std::span<const char* const> entries = {};  // Choice, by index
    std::int32_t min = 0, max = 0;              // Number: the values accepted
    const char* refusal[2] = {};  // Number: the editor's message for User 1, for User 2 if other
    bool zeroToo = false;         // Number: 0 is accepted beside min..max
    // Number: the row of the user this one must be greater than, checked first
    // at this row's place in kEditorChecks, then that row's bounds, then these.
    const char* above = nullptr;
    const char* notAbove = nullptr;  // the editor's message when it is not

    // The keyer's own settings, the selections and the messages, are no user's.
    constexpr bool perUser() const { return place != Place::Selection && place != Place::Message; }
    // A number the editor types and checks; a selection is picked, no message.
    constexpr bool typed() const { return kind == Kind::Number && place != Place::Selection; }
};

// ---- The lists' entries ----
inline constexpr const char* kOutputSelectionNames[] = {
    "Port1", "Port1, ST", "Port1, PTT", "Port1, ST, PTT",
    "Port2", "Port2, ST", "Port2, PTT", "Port2, ST, PTT"};
inline constexpr const char* kPaddleHangNames[] = {"1.0 Word", "1.3 Word", "1.6 Word", "2.0 Word"};
inline constexpr const char* kKeyerModeNames[] = {"Iambic A", "Iambic B", "Ultimatic",
                                                  "UltimDit", "UltimDah", "VibroBug"};
inline constexpr const char* kBaudRateNames[] = {"45.45", "50", "75", "100"};
inline constexpr const char* kStopBitsNames[] = {"2.0", "1.5"};
inline constexpr const char* kDiddleIsNames[] = {"Blank", "Ltrs"};
inline constexpr const char* kUsosNames[] = {"Off", "On"};

namespace schema_rows {
using enum Kind;
using enum Place;
using enum Field;

// clang-format off
inline constexpr Setting kTable[] = {
    // Each user's own, in the order ztcli lists them: the editor's values top
    // to bottom, its option boxes, its lists, then the RTTY set-up.
    // name, kind, place, field, mask, default, entries, min, max, refusals, 0 too, above
    {"max_wpm", Number, PotMax, PotRangeWpm, 0xFF, 35, {}, 5, 99, {"Pot Max must be between 5 and 99"},
        false, "min_wpm", "Pot Max must be greater than Pot Min"},
    {"min_wpm", Number, PotMin, PotMinWpm, 0xFF, 5, {}, 5, 99, {"Pot Min must be between 5 and 99"}},
    {"cmd_wpm", Number, Bits, CommandWpm, 0xFF, 15, {}, 5, 99,
        {"Command WPM must be between 5 and 99", "CMDWPM must be between 5 and 99"}},
    {"cur_wpm", Number, Bits, FavoriteWpm, 0xFF, 15, {}, 5, 99,
        {"Favorite WPM must be between 5 and 99"}},
    {"ratio", Number, Bits, Ratio, 0xFF, 50, {}, 33, 66, {"Ratio must be between 33 and 66"}},
    {"key_comp", Number, Bits, KeyCompensation, 0xFF, 0, {}, 0, 250, {"Key Comp must be 250 or less."}},
    {"pdl_sample", Number, Bits, PaddleSample, 0xFF, 50, {}, 10, 90,
        {"Paddle Sample must be 0 or between 10 and 90", "Paddle Sample must be between 10 and 90"},
        true},
    {"first_extension", Number, Bits, FirstExtension, 0xFF, 0, {}, 0, 250,
        {"1st Extend must be 250 or less.", "Extend must be 250 or less."}},
    {"weight", Number, Bits, Weight, 0xFF, 50, {}, 10, 90, {"Weight must be between 10 and 90"}},
    {"ptt_lead_in", Number, Bits, PttLeadIn, 0xFF, 0, {}, 0, 250, {"Lead In must be 250 or less."}},
    {"ptt_tail", Number, Bits, PttTail, 0xFF, 0, {}, 0, 250, {"Tail must be 250 or less."}},
    // Both of its messages name 90, so 90 is its bound too.
    {"farns_wpm", Number, Bits, FarnsworthWpm, 0xFF, 0, {}, 10, 90,
        {"Farns must be 0 or between 10 and 90", "Farnsworth WPM must be 0 or between 10 and 90"},
        true},
    {"ltr_space", Number, Bits, AuxRegister, 0x1F, 0, {}, 0, 31,
        {"Letterspace Adjustment can't be greater than 31"}},
    {"st_volume", Number, Bits, SidetoneVolume, 0xFF, 4, {}, 1, 4,
        {"Sidetone volume must be between 1 and 4"}},
    {"serial_number", Number, Serial, SerialHigh, 0xFF, 1, {}, 1, 9999,
        {"Serial number must be between 1 and 9999"}},
    // 801 Hz is the code 78; 4166 Hz, what the code 15 of 4000 Hz shows, is
    // accepted as well.
    {"st_freq", Number, Sidetone, SidetoneCode, 0xFF, 801, {}, 500, 4000,
        {"Freq must be 500 or greater.", "Freq must be between 500 and 4000."}},
    {"swap", Flag, Bits, ModeRegister, 0x08},
    {"auto_space", Flag, Bits, ModeRegister, 0x02},
    {"ct_space", Flag, Bits, ModeRegister, 0x01},
    {"cut_0", Flag, Bits, ExtensionRegister, 0x10},
    {"cut_9", Flag, Bits, ExtensionRegister, 0x20},
    {"pdl_tone_only", Flag, Bits, ExtensionRegister, 0x08},
    {"pdl_wd_off", Flag, Bits, ModeRegister, 0x80},
    {"paddle_mute", Flag, Bits, ExtensionRegister, 0x02},
    {"fast_cmd", Flag, Bits, ExtensionRegister, 0x40},
    {"tune_50", Flag, Bits, AuxRegister, 0x20},
    {"so2r", Flag, Bits, ExtensionRegister, 0x04},
    {"fave_wpm_off", Flag, Bits, ExtensionRegister, 0x01},
    {"output_selection", Choice, Output, OutputRegister, 0x0F, 3, kOutputSelectionNames},
    {"paddle_hang", Choice, Bits, OutputRegister, 0x30, 0, kPaddleHangNames},
    {"keyer_mode", Choice, KeyerMode, ModeRegister, 0x30, 1, kKeyerModeNames},
    {"rtty.enable", Flag, Bits, RttyRegister1, 0x80},
    {"rtty.diddle", Flag, Bits, RttyRegister1, 0x40},
    {"rtty.fsk_map", Flag, Bits, RttyRegister1, 0x20},
    {"rtty.auto_crlf", Flag, Bits, RttyRegister1, 0x10},
    {"rtty.reverse", Flag, Bits, RttyRegister1, 0x04},
    {"rtty.baud", Choice, Bits, RttyRegister1, 0x03, 0, kBaudRateNames},
    {"rtty.stop_bits", Choice, Bits, RttyRegister2, 0x08, 0, kStopBitsNames},
    {"rtty.diddle_is", Choice, Bits, RttyRegister2, 0x04, 0, kDiddleIsNames},
    {"rtty.usos", Choice, Bits, RttyRegister2, 0x01, 0, kUsosNames},
    // The keyer's own: which user and bank it starts with (in User 1's block),
    // and the messages in storage order (13 and 14 are the users' call signs).
    {"selected_user", Number, Selection, AuxRegister, 0x80, 1, {}, 1, 2},
    {"selected_bank", Number, Selection, AuxRegister, 0x40, 1, {}, 1, 2},
    {"msg1", Text, Message}, {"msg2", Text, Message}, {"msg3", Text, Message},
    {"msg4", Text, Message}, {"msg5", Text, Message}, {"msg6", Text, Message},
    {"msg7", Text, Message}, {"msg8", Text, Message}, {"msg9", Text, Message},
    {"msg10", Text, Message}, {"msg11", Text, Message}, {"msg12", Text, Message},
    {"msg13", Text, Message}, {"msg14", Text, Message},
};
// clang-format on

}  // namespace schema_rows

inline constexpr std::span<const Setting> kSettingRows = schema_rows::kTable;

// The row of a name, found while compiling: an unknown name does not build.
consteval const Setting& SettingNamed(std::string_view name) {
    for (const Setting& s : schema_rows::kTable)
        if (std::string_view(s.name) == name) return s;
    throw "no setting has this name";
}

// The row a row must stay above, or nullptr.
constexpr const Setting* RowBelow(const Setting& s) {
    for (const Setting& other : schema_rows::kTable)
        if (s.above && std::string_view(other.name) == s.above) return &other;
    return nullptr;
}

// The editor's number rows in the order it checks them; a row another must
// stay above is checked with that one.
inline constexpr const Setting* kEditorChecks[] = {
    &SettingNamed("weight"),    &SettingNamed("ptt_lead_in"),     &SettingNamed("ptt_tail"),
    &SettingNamed("st_freq"),   &SettingNamed("first_extension"), &SettingNamed("key_comp"),
    &SettingNamed("farns_wpm"), &SettingNamed("pdl_sample"),      &SettingNamed("cmd_wpm"),
    &SettingNamed("cur_wpm"),   &SettingNamed("st_volume"),       &SettingNamed("serial_number"),
    &SettingNamed("ratio"),     &SettingNamed("max_wpm"),         &SettingNamed("ltr_space"),
};

// Which message a message's row stands for, counted from 0.
constexpr int MessageIndex(const Setting& s) {
    return static_cast<int>(&s - &SettingNamed("msg1"));
}

// ---- Values ----

// The value as the editor shows it: a number, a flag's 0 or 1, an entry's
// index; nothing for a sidetone code of 0 and for a message. user is ignored
// for the keyer's own settings.
std::optional<std::int64_t> ValueOf(const SettingsImage& image, User user, const Setting& s);
// A message's text as the editor shows it.
std::string TextOf(const SettingsImage& image, const Setting& s);
// Stores a value unchecked (ApplyEdits checks first): a number, a flag, an
// entry's index. An index outside the entries changes nothing, but for the
// output selection, whose bits are then cleared (no output chosen). Not for
// messages, which are stored all together (EncodeMessages).
void Store(SettingsImage& image, User user, const Setting& s, std::int64_t value);

// The editor's message for a number outside a row's own bounds, or nothing.
std::optional<std::string> Refusal(const Setting& s, User user, std::int64_t value);

// Both users' settings get their defaults, and the bits no setting owns are
// cleared; the messages are left alone.
void LoadDefaults(SettingsImage& image);

// ---- Names ----

struct NamedSetting {
    std::string name;  // "user1.cur_wpm", "msg3"
    const Setting* row;
    User user;  // User::One for the keyer's own
};
// Every setting in ztcli's order: User 1's, User 2's, then the keyer's own.
const std::vector<NamedSetting>& NamedSettings();
const NamedSetting* FindSetting(std::string_view name);
std::string FullName(const Setting& s, User user);
// The settings an image byte holds part of: a user's field, or in the message
// area (by the image's pointers) a message's pointer or one of its bytes.
// Nothing for the end byte, and for bytes between or after the messages.
std::vector<const NamedSetting*> SettingsAt(const SettingsImage& image, int offset);

// An edit's text as the editor reads a number: unsigned decimal; anything
// else, and numbers that do not fit 32 bits, read as 0.
std::uint32_t ParseEditNumber(const std::string& text);

}  // namespace zt
