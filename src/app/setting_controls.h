#pragma once
// Which control of a window shows which setting: the one place where control
// ids meet setting names. A name that is not a setting does not build. The
// editor, the RTTY dialog and the message editor fill, store and check their
// controls through these rows; what a setting is, is its row in
// settings/schema.h. Adding a setting adds its row to one table here.

#include <algorithm>
#include <array>
#include <span>
#include <string_view>

#include "resources/ids.h"
#include "settings/schema.h"
#include "ui/ui.h"

namespace zt {

struct SettingControl {
    int control;
    const Setting* setting;
};

consteval SettingControl Bind(int control, std::string_view name) {
    return {control, &SettingNamed(name)};
}

// clang-format off
// The main window's "Keyer Configuration" and "Message Editor" groups. The
// User and Bank buttons pick what the window shows and record it in the
// image (selected_user, selected_bank); they show no setting.
inline constexpr SettingControl kMainControls[] = {
    Bind(ids::kMaxWpm, "max_wpm"),          Bind(ids::kMinWpm, "min_wpm"),
    Bind(ids::kCmdWpm, "cmd_wpm"),          Bind(ids::kCurWpm, "cur_wpm"),
    Bind(ids::kRatio, "ratio"),             Bind(ids::kKeyComp, "key_comp"),
    Bind(ids::kPdlSample, "pdl_sample"),    Bind(ids::kFirstExtension, "first_extension"),
    Bind(ids::kWeight, "weight"),           Bind(ids::kPttLeadIn, "ptt_lead_in"),
    Bind(ids::kPttTail, "ptt_tail"),        Bind(ids::kFarnsWpm, "farns_wpm"),
    Bind(ids::kLtrSpace, "ltr_space"),      Bind(ids::kStVolume, "st_volume"),
    Bind(ids::kSerialNumber, "serial_number"), Bind(ids::kStFreq, "st_freq"),
    Bind(ids::kSwap, "swap"),               Bind(ids::kAutoSpace, "auto_space"),
    Bind(ids::kCtSpace, "ct_space"),        Bind(ids::kCut0, "cut_0"),
    Bind(ids::kCut9, "cut_9"),              Bind(ids::kPdlToneOnly, "pdl_tone_only"),
    Bind(ids::kPdlWdOff, "pdl_wd_off"),     Bind(ids::kPaddleMute, "paddle_mute"),
    Bind(ids::kFastCmd, "fast_cmd"),        Bind(ids::kTune50, "tune_50"),
    Bind(ids::kSo2r, "so2r"),               Bind(ids::kFaveWpmOff, "fave_wpm_off"),
    Bind(ids::kOutputSelection, "output_selection"), Bind(ids::kPaddleHang, "paddle_hang"),
    Bind(ids::kKeyerMode, "keyer_mode"),
    Bind(ids::kMsg1, "msg1"),     Bind(ids::kMsg1 + 1, "msg2"), Bind(ids::kMsg1 + 2, "msg3"),
    Bind(ids::kMsg1 + 3, "msg4"), Bind(ids::kMsg1 + 4, "msg5"), Bind(ids::kMsg1 + 5, "msg6"),
    Bind(ids::kMsg7, "msg7"),     Bind(ids::kMsg7 + 1, "msg8"), Bind(ids::kMsg7 + 2, "msg9"),
    Bind(ids::kMsg7 + 3, "msg10"), Bind(ids::kMsg7 + 4, "msg11"), Bind(ids::kMsg7 + 5, "msg12"),
    Bind(ids::kCallUser1, "msg13"), Bind(ids::kCallUser2, "msg14"),
};

// The RTTY set-up (template 1005).
inline constexpr SettingControl kRttyControls[] = {
    Bind(ids::kRttyEnable, "rtty.enable"),     Bind(ids::kRttyDiddle, "rtty.diddle"),
    Bind(ids::kRttyFskMap, "rtty.fsk_map"),    Bind(ids::kRttyAutoCrlf, "rtty.auto_crlf"),
    Bind(ids::kRttyReverse, "rtty.reverse"),   Bind(ids::kRttyBaud, "rtty.baud"),
    Bind(ids::kRttyStopBits, "rtty.stop_bits"), Bind(ids::kRttyDiddleIs, "rtty.diddle_is"),
    Bind(ids::kRttyUsos, "rtty.usos"),
};
// clang-format on

// The control a setting is shown in, or 0.
constexpr int ControlOf(std::span<const SettingControl> controls, const Setting& s) {
    for (const SettingControl& c : controls)
        if (c.setting == &s) return c.control;
    return 0;
}
// The setting a control shows, or nullptr.
constexpr const Setting* SettingOf(std::span<const SettingControl> controls, int control) {
    for (const SettingControl& c : controls)
        if (c.control == control) return c.setting;
    return nullptr;
}

// Every setting is shown once, but for the two selections the window records.
constexpr bool EachSettingShownOnce() {
    for (const Setting& s : kSettingRows) {
        const auto shows = [&s](const SettingControl& c) { return c.setting == &s; };
        const auto n = std::count_if(std::begin(kMainControls), std::end(kMainControls), shows) +
                       std::count_if(std::begin(kRttyControls), std::end(kRttyControls), shows);
        if (n != (s.place == Place::Selection ? 0 : 1)) return false;
    }
    return true;
}
static_assert(EachSettingShownOnce());

// The fourteen message edits in the messages' order: 4001-4006, 4080-4085,
// 4071, 4072.
constexpr std::array<int, kMessageCount> MessageEdits() {
    std::array<int, kMessageCount> edits{};
    for (const SettingControl& c : kMainControls)
        if (c.setting->kind == Kind::Text) edits[MessageIndex(*c.setting)] = c.control;
    return edits;
}
inline constexpr std::array<int, kMessageCount> kMessageEdits = MessageEdits();
static_assert(std::find(kMessageEdits.begin(), kMessageEdits.end(), 0) == kMessageEdits.end(),
              "every message has its edit");

// Each list among the controls gets its setting's entries, in order.
void FillSettingLists(ui::Window& w, std::span<const SettingControl> controls);
// Each control shows its setting of the user in image: a number as text (a sidetone
// code of 0 has no frequency and leaves the edit as it is), a flag checked,
// an entry selected. Messages are the message editor's.
void ShowSettings(ui::Window& w, const SettingsImage& image, User user,
                  std::span<const SettingControl> controls);

}  // namespace zt
