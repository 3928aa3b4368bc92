// The five dialog templates. Coordinates are Win32 dialog units (x, y, cx,
// cy); a combo box's cy is the height of its dropped-down list. Controls are
// listed in tab order; a host stacks later controls above earlier ones, so
// each group box comes before the controls it frames.
//
// Start-up visibility: bank 2's message edits and labels and the User 2
// call-sign edit start hidden here, so a window built from the template alone
// already shows what the program shows after its initialisation.

#include "resources/templates.h"

#include <cstdint>
#include <iterator>

#include "resources/ids.h"

namespace zt {

namespace {

using namespace ids;
using K = ui::Kind;
namespace s = ui::style;

// Style sets shared by many rows.
// Message edits scroll with the caret and have no scroll bar.
constexpr std::uint32_t kMsgEdit = s::Multiline | s::UpperCase | s::AutoVScroll | s::Border;
constexpr std::uint32_t kHiddenMsgEdit = kMsgEdit | s::Hidden;
constexpr std::uint32_t kValueEdit = s::Border | s::AutoHScroll;
constexpr std::uint32_t kDigitsEdit = kValueEdit | s::Number;
constexpr std::uint32_t kCallEdit = s::UpperCase | s::AutoHScroll | s::Border;
constexpr std::uint32_t kCentred = s::Center | s::VCenter;
// Only the upload worker writes the log; the operator reads it.
constexpr std::uint32_t kLogEdit =
    s::Multiline | s::VScroll | s::AutoVScroll | s::Border | s::ReadOnly;

// clang-format off
constexpr ui::ControlTemplate kMainControls[] = {
    // Frames.
    {4056,            K::GroupBox,    "Message Editor",      4,   4,   224, 256, 0},
    {4055,            K::GroupBox,    "Keyer Configuration", 232, 4,   140, 256, 0},

    // Bank 1: messages 1-6 and their labels.
    {kMsg1 + 0,       K::Edit,        "",                    12,  16,  164, 32,  kMsgEdit},
    {kMsgLabel1 + 0,  K::Static,      "Msg 1",               184, 28,  36,  12,  0},
    {kMsg1 + 1,       K::Edit,        "",                    12,  52,  164, 32,  kMsgEdit},
    {kMsgLabel1 + 1,  K::Static,      "Msg 2",               184, 64,  36,  12,  0},
    {kMsg1 + 2,       K::Edit,        "",                    12,  88,  164, 32,  kMsgEdit},
    {kMsgLabel1 + 2,  K::Static,      "Msg 3",               184, 100, 36,  12,  0},
    {kMsg1 + 3,       K::Edit,        "",                    12,  124, 164, 32,  kMsgEdit},
    {kMsgLabel1 + 3,  K::Static,      "Msg 4",               184, 136, 36,  12,  0},
    {kMsg1 + 4,       K::Edit,        "",                    12,  160, 164, 32,  kMsgEdit},
    {kMsgLabel1 + 4,  K::Static,      "Msg 5",               184, 172, 36,  12,  0},
    {kMsg1 + 5,       K::Edit,        "",                    12,  196, 164, 32,  kMsgEdit},
    {kMsgLabel1 + 5,  K::Static,      "Msg 6",               184, 208, 36,  12,  0},

    // Bank 2: messages 7-12, in the same places as bank 1.
    {kMsg7 + 0,       K::Edit,        "",                    12,  16,  164, 32,  kHiddenMsgEdit},
    {kMsgLabel7 + 0,  K::Static,      "Msg 7",               184, 28,  36,  12,  s::Hidden},
    {kMsg7 + 1,       K::Edit,        "",                    12,  52,  164, 32,  kHiddenMsgEdit},
    {kMsgLabel7 + 1,  K::Static,      "Msg 8",               184, 64,  36,  12,  s::Hidden},
    {kMsg7 + 2,       K::Edit,        "",                    12,  88,  164, 32,  kHiddenMsgEdit},
    {kMsgLabel7 + 2,  K::Static,      "Msg 9",               184, 100, 36,  12,  s::Hidden},
    {kMsg7 + 3,       K::Edit,        "",                    12,  124, 164, 32,  kHiddenMsgEdit},
    {kMsgLabel7 + 3,  K::Static,      "Msg 10",              184, 136, 36,  12,  s::Hidden},
    {kMsg7 + 4,       K::Edit,        "",                    12,  160, 164, 32,  kHiddenMsgEdit},
    {kMsgLabel7 + 4,  K::Static,      "Msg 11",              184, 172, 36,  12,  s::Hidden},
    {kMsg7 + 5,       K::Edit,        "",                    12,  196, 164, 32,  kHiddenMsgEdit},
    {kMsgLabel7 + 5,  K::Static,      "Msg 12",              184, 208, 36,  12,  s::Hidden},

    // Bank selection: plain radio buttons, the program checks them itself.
    {kBank1,          K::RadioButton, "Message Bank 1",      16,  232, 76,  10,  0},
    {kBank2,          K::RadioButton, "Message Bank 2",      100, 232, 76,  10,  0},

    // Option check boxes, one row each.
    {kSwap,           K::CheckBox,    "Swap",                240, 16,  56,  8,   s::AutoCheck},
    {kAutoSpace,      K::CheckBox,    "AutoSpace",           240, 28,  56,  8,   s::AutoCheck},
    {kCtSpace,        K::CheckBox,    "CTspace",             240, 40,  56,  8,   s::AutoCheck},
    {kCut0,           K::CheckBox,    "Cut 0",               240, 52,  56,  8,   s::AutoCheck},
    {kCut9,           K::CheckBox,    "Cut 9",               240, 64,  56,  8,   s::AutoCheck},
    {kPdlToneOnly,    K::CheckBox,    "PdlToneOnly",         240, 76,  56,  8,   s::AutoCheck},
    {kPdlWdOff,       K::CheckBox,    "PdlWDoff",            240, 88,  56,  8,   s::AutoCheck},
    {kPaddleMute,     K::CheckBox,    "PaddleMute",          240, 100, 56,  8,   s::AutoCheck},
    {kFastCmd,        K::CheckBox,    "FastCmd",             240, 112, 56,  8,   s::AutoCheck},
    {kTune50,         K::CheckBox,    "Tune50%",             240, 124, 56,  8,   s::AutoCheck},
    {kSo2r,           K::CheckBox,    "SO2R",                240, 136, 56,  8,   s::AutoCheck},
    {kFaveWpmOff,     K::CheckBox,    "FaveWpmOff",          240, 148, 56,  8,   s::AutoCheck},

    // Value edits, each with its label to the right on the same row.
    {kMaxWpm,         K::Edit,        "",                    300, 16,  20,  12,  kValueEdit},
    {4107,            K::Static,      "MaxWpm",              324, 16,  40,  12,  0},
    {kMinWpm,         K::Edit,        "",                    300, 28,  20,  12,  kValueEdit},
    {4108,            K::Static,      "MinWpm",              324, 28,  40,  12,  0},
    {kCmdWpm,         K::Edit,        "",                    300, 40,  20,  12,  kValueEdit},
    {4099,            K::Static,      "CmdWpm",              324, 40,  40,  12,  0},
    {kCurWpm,         K::Edit,        "",                    300, 52,  20,  12,  kValueEdit},
    {4109,            K::Static,      "CurWpm",              324, 52,  40,  12,  0},
    {kRatio,          K::Edit,        "",                    300, 64,  20,  12,  kValueEdit},
    {4110,            K::Static,      "Ratio",               324, 64,  40,  12,  0},
    {kKeyComp,        K::Edit,        "",                    300, 76,  20,  12,  kValueEdit},
    {4111,            K::Static,      "KeyComp",             324, 76,  40,  12,  0},
    {kPdlSample,      K::Edit,        "",                    300, 88,  20,  12,  kValueEdit},
    {4112,            K::Static,      "PdlSample",           324, 88,  40,  12,  0},
    {kFirstExtension, K::Edit,        "",                    300, 100, 20,  12,  kValueEdit},
    {4113,            K::Static,      "1stExtension",        324, 100, 44,  12,  0},
    {kWeight,         K::Edit,        " ",                   300, 112, 20,  12,  kValueEdit},
    {4114,            K::Static,      "Weight",              324, 112, 40,  12,  0},
    {kPttLeadIn,      K::Edit,        "",                    300, 124, 20,  12,  kValueEdit},
    {4115,            K::Static,      "PTT LeadIn",          324, 124, 40,  12,  0},
    {kPttTail,        K::Edit,        "",                    300, 136, 20,  12,  kValueEdit},
    {4116,            K::Static,      "PTT Tail",            324, 136, 40,  12,  0},
    {kFarnsWpm,       K::Edit,        "",                    300, 148, 20,  12,  kValueEdit},
    {4117,            K::Static,      "FarnsWpm",            324, 148, 40,  12,  0},
    {kLtrSpace,       K::Edit,        "",                    300, 160, 20,  12,  kValueEdit},
    {4118,            K::Static,      "LtrSpace",            324, 160, 40,  12,  0},
    {kStVolume,       K::Edit,        "",                    300, 172, 20,  12,  kValueEdit},
    {4119,            K::Static,      "ST Volume",           324, 172, 40,  12,  0},

    // Digits-only edits below the check boxes.
    {kSerialNumber,   K::Edit,        "",                    240, 160, 28,  12,  kDigitsEdit},
    {4104,            K::Static,      "S/N",                 272, 160, 28,  12,  0},
    {kStFreq,         K::Edit,        "",                    240, 172, 28,  12,  kDigitsEdit},
    {4125,            K::Static,      "ST Freq",             272, 172, 28,  12,  0},

    // Lists; the program fills them at initialisation.
    {4077,            K::Static,      "Output Selection",    236, 192, 60,  8,   0},
    {kOutputSelection, K::ComboBox,   "",                    236, 204, 64,  95,  s::VScroll},
    {4120,            K::Static,      "Paddle Hang",         312, 192, 52,  8,   0},
    {kPaddleHang,     K::ComboBox,    "",                    312, 204, 52,  58,  s::VScroll},
    {4122,            K::Static,      "Keyer Mode",          312, 220, 52,  8,   0},
    {kKeyerMode,      K::ComboBox,    "",                    312, 232, 51,  78,  s::VScroll},

    // Call signs (messages 13 and 14): one place, only the edited user's shows.
    {4121,            K::Static,      "User Callsign /M",    236, 220, 64,  8,   0},
    {kCallUser1,      K::Edit,        "",                    236, 232, 64,  12,  kCallEdit},
    {kCallUser2,      K::Edit,        "",                    236, 232, 64,  12,  kCallEdit | s::Hidden},

    // Edited user: plain radio buttons, the switch may be refused.
    {kUser1,          K::RadioButton, "User 1",              244, 248, 40,  10,  0},
    {kUser2,          K::RadioButton, "User 2",              316, 248, 40,  10,  0},

    // Status area; the three fields of its lowest row form the window's status bar.
    {kMessageLine,    K::Static,      "",                    12,  268, 212, 12,  s::StatusField},
    {kLinkStatus,     K::Static,      "",                    232, 268, 88,  12,  s::StatusField},
    {kOpState,        K::Static,      "",                    328, 268, 42,  12,  s::StatusField},
    {kBytesLeft,      K::Static,      "Msg Bytes Left:",     16,  244, 76,  12,  s::VCenter},
    {kPotValue,       K::Static,      "",                    104, 244, 60,  12,  kCentred},
    {kPushButton,     K::Static,      "",                    180, 228, 44,  12,  kCentred},
    {kSupply,         K::Static,      "",                    176, 244, 48,  12,  kCentred},
    {kPortLabel,      K::Static,      "Com: ?",              276, 288, 40,  16,  kCentred},
    {kChipLabel,      K::Static,      "ZT IC: ?",            216, 312, 52,  12,  s::Center},

    // Buttons: keyer operations on the upper row, files and the rest below;
    // each with its access key.
    {kReadZt,         K::PushButton,  "&Read ZT",            12,  288, 40,  16,  0},
    {kWriteZt,        K::PushButton,  "&Write ZT",           60,  288, 40,  16,  0},
    {kTestZt,         K::PushButton,  "&Test ZT",            108, 288, 40,  16,  0},
    {kFwUpdate,       K::PushButton,  "FW &Update",          156, 288, 52,  16,  0},
    {kSetComPort,     K::PushButton,  "&Set Com Port",       216, 288, 52,  16,  0},
    {kAbout,          K::PushButton,  "&About",              332, 288, 40,  16,  0},
    {kReadConfigFile, K::PushButton,  "Read &Config File",   12,  308, 64,  16,  0},
    {kWriteConfigFile, K::PushButton, "Write Config &File",  84,  308, 64,  16,  0},
    {kResetDefaults,  K::PushButton,  "Reset to &Defaults",  156, 308, 52,  20,  s::Multiline},
    {kRtty,           K::PushButton,  "RTT&Y",               276, 308, 40,  16,  0},
    {kExit,           K::PushButton,  "E&xit",               332, 308, 40,  16,  0},
};

// Controls that no static text labels, named for screen readers; the two
// call-sign edits share one label, and are told apart by their user.
constexpr ui::ControlName kMainNames[] = {
    {kCallUser1, "User 1 Callsign /M"},
    {kCallUser2, "User 2 Callsign /M"},
};
constexpr ui::ControlName kPortNames[] = {{kPortList, "COM ports"}};
constexpr ui::ControlName kUploaderNames[] = {
    {kUploadProgress, "Upload progress"},
    {kUploadLog, "Upload log"},
};

constexpr ui::ControlTemplate kPortControls[] = {
    {kPortList,       K::ComboBox,    "",                    36,  8,   64,  80,  s::VScroll},
    {kPortOk,         K::PushButton,  "&OK",                 8,   36,  45,  15,  0},
    {kPortExit,       K::PushButton,  "E&xit",               68,  36,  50,  14,  0},
};

constexpr ui::ControlTemplate kUploaderControls[] = {
    {kUploadMessage,  K::Static,      "",                    8,   8,   216, 8,   s::Center},
    {kUploadProgress, K::Progress,    "",                    8,   24,  212, 9,   0},
    {kUploadLog,      K::Edit,        "",                    8,   36,  212, 88,  kLogEdit},
    {kUploadPath,     K::Static,      "",                    8,   132, 216, 8,   kCentred},
    {kLoadBin,        K::PushButton,  "&Load BIN File",      20,  148, 60,  15,  0},
    {kProgram,        K::PushButton,  "&Program ZOVOV",      92,  148, 60,  15,  0},
    {kUploadExit,     K::PushButton,  "E&xit",               164, 148, 50,  14,  0},
};

constexpr ui::ControlTemplate kAboutControls[] = {
    {kVersionLine,    K::Static,      "",                    8,   8,   248, 8,   s::Center},
    {kOsLine,         K::Static,      "",                    8,   24,  248, 8,   s::Center},
    {kHelpLine,       K::Static,      "Operating guide: " ZT_GUIDE_PLACE,
                                                             8,   44,  248, 12,  kCentred},
    {kAboutOk,        K::PushButton,  "&OK",                 104, 64,  45,  15,  0},
    {kVerbose,        K::CheckBox,    "Verbose Mode",        176, 64,  72,  10,  s::AutoCheck},
};

constexpr ui::ControlTemplate kRttyControls[] = {
    {kRttyEnable,     K::CheckBox,    "RTTY Enable",         12,  8,   60,  10,  s::AutoCheck},
    {kRttyDiddle,     K::CheckBox,    "Diddle",              12,  24,  48,  10,  s::AutoCheck},
    {kRttyFskMap,     K::CheckBox,    "FSK Map",             80,  24,  48,  10,  s::AutoCheck},
    {kRttyReverse,    K::CheckBox,    "Reverse",             12,  36,  48,  10,  s::AutoCheck},
    {kRttyAutoCrlf,   K::CheckBox,    "AutoCRLF",            80,  36,  48,  10,  s::AutoCheck},
    {4077,            K::Static,      "Baud Rate",           12,  56,  40,  8,   0},
    {kRttyBaud,       K::ComboBox,    "",                    12,  64,  48,  48,  s::VScroll},
    {4124,            K::Static,      "Diddle is",           80,  56,  44,  8,   0},
    {kRttyDiddleIs,   K::ComboBox,    "",                    80,  64,  48,  40,  s::VScroll},
    {4099,            K::Static,      "Stop Bits",           12,  84,  40,  8,   0},
    {kRttyStopBits,   K::ComboBox,    "",                    12,  92,  48,  40,  s::VScroll},
    {4104,            K::Static,      "USOS",                80,  84,  40,  8,   0},
    {kRttyUsos,       K::ComboBox,    "",                    80,  92,  48,  40,  s::VScroll},
    {kRttyCancel,     K::PushButton,  "&Cancel",             12,  116, 48,  16,  0},
    {kRttyOk,         K::PushButton,  "&Ok",                 80,  116, 48,  16,  0},
};
// clang-format on

constexpr std::uint32_t kPopup = ui::dstyle::SysMenu;
constexpr std::uint32_t kMainFrame =
    ui::dstyle::SysMenu | ui::dstyle::MinimizeBox | ui::dstyle::MaximizeBox;

}  // namespace

const ui::DialogTemplate kMainTemplate = {kMainDialog,
                                          "Zentor 3 Tools Utility 5.3",
                                          "ZTtoolsClass",
                                          6,
                                          18,
                                          378,
                                          334,
                                          "MS Shell Dlg",
                                          8,
                                          kMainFrame,
                                          kMainControls,
                                          std::size(kMainControls),
                                          kMainNames,
                                          std::size(kMainNames)};

const ui::DialogTemplate kPortTemplate = {kPortDialog,
                                          "Comm Port Setup",
                                          nullptr,
                                          6,
                                          18,
                                          130,
                                          62,
                                          "Tahoma",
                                          8,
                                          kPopup,
                                          kPortControls,
                                          std::size(kPortControls),
                                          kPortNames,
                                          std::size(kPortNames)};

const ui::DialogTemplate kUploaderTemplate = {kUploaderDialog,
                                              "Zentor 3 Firmware Uploader",
                                              nullptr,
                                              6,
                                              18,
                                              230,
                                              174,
                                              "Tahoma",
                                              8,
                                              kPopup,
                                              kUploaderControls,
                                              std::size(kUploaderControls),
                                              kUploaderNames,
                                              std::size(kUploaderNames)};

const ui::DialogTemplate kAboutTemplate = {
    kAboutDialog,   "VI3vovad 5.3  About",    nullptr, 6, 18, 262, 86, "Tahoma", 8, kPopup,
    kAboutControls, std::size(kAboutControls)};

const ui::DialogTemplate kRttyTemplate = {
    kRttyDialog,   "RTTY Mode Setup",       nullptr, 6, 18, 138, 138, "Tahoma", 8, kPopup,
    kRttyControls, std::size(kRttyControls)};

const ui::DialogTemplate* const kAllTemplates[5] = {
    &kMainTemplate, &kPortTemplate, &kUploaderTemplate, &kAboutTemplate, &kRttyTemplate};

}  // namespace zt
