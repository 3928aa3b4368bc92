#pragma once
// Resource identifiers: dialogs, controls and the icon.

namespace zt::ids {

// Dialogs.
constexpr int kMainDialog = 1001;
constexpr int kPortDialog = 1002;
constexpr int kUploaderDialog = 1003;
constexpr int kAboutDialog = 1004;
constexpr int kRttyDialog = 1005;
constexpr int kIcon = 8001;

// ---- Main window (1001) ----
constexpr int kExit = 4;
constexpr int kMsg1 = 4001;       // 4001..4006: messages 1-6 (bank 1)
constexpr int kMsg7 = 4080;       // 4080..4085: messages 7-12 (bank 2)
constexpr int kMsgLabel1 = 4062;  // 4062..4067: "Msg 1".."Msg 6"
constexpr int kMsgLabel7 = 4086;  // 4086..4091: "Msg 7".."Msg 12"
constexpr int kBank1 = 4007;
constexpr int kBank2 = 4008;
constexpr int kSetComPort = 4009;
constexpr int kFwUpdate = 4010;
constexpr int kTestZt = 4011;
constexpr int kWriteZt = 4012;
constexpr int kReadZt = 4013;
// Option check boxes.
constexpr int kSwap = 4014;
constexpr int kAutoSpace = 4015;
constexpr int kCtSpace = 4016;
constexpr int kCut0 = 4017;
constexpr int kCut9 = 4018;
constexpr int kPdlToneOnly = 4019;
constexpr int kPdlWdOff = 4020;
constexpr int kPaddleMute = 4021;
constexpr int kFastCmd = 4022;
constexpr int kTune50 = 4023;
constexpr int kSo2r = 4024;
constexpr int kFaveWpmOff = 4101;
// Value edits.
constexpr int kMaxWpm = 4025;
constexpr int kMinWpm = 4027;
constexpr int kCmdWpm = 4029;
constexpr int kCurWpm = 4033;
constexpr int kRatio = 4031;
constexpr int kKeyComp = 4035;
constexpr int kPdlSample = 4037;
constexpr int kFirstExtension = 4097;
constexpr int kWeight = 4039;
constexpr int kPttLeadIn = 4041;
constexpr int kPttTail = 4043;
constexpr int kFarnsWpm = 4045;
constexpr int kLtrSpace = 4047;
constexpr int kStVolume = 4100;
constexpr int kSerialNumber = 4096;  // digits only, "S/N"
constexpr int kStFreq = 4073;        // digits only, "ST Freq"
// Lists.
constexpr int kOutputSelection = 4053;
constexpr int kPaddleHang = 4054;
constexpr int kKeyerMode = 4049;
// Call signs (messages 13 and 14).
constexpr int kCallUser1 = 4071;
constexpr int kCallUser2 = 4072;
constexpr int kUser1 = 4068;
constexpr int kUser2 = 4069;
// Buttons.
constexpr int kAbout = 4094;
constexpr int kReadConfigFile = 4092;
constexpr int kWriteConfigFile = 4093;
constexpr int kResetDefaults = 4051;
constexpr int kRtty = 4103;
// Status fields.
constexpr int kMessageLine = 4057;  // general message line
constexpr int kBytesLeft = 4058;    // "Msg Bytes Left: %d"
constexpr int kOpState = 4059;      // operation state field
constexpr int kPotValue = 4060;     // "PotValue: %d"
constexpr int kLinkStatus = 4061;   // link status line
constexpr int kSupply = 4070;       // "%.2f Volts"
constexpr int kPortLabel = 4074;    // "com:%d"
constexpr int kPushButton = 4075;   // "PB:%d"
constexpr int kChipLabel = 4079;    // "ZT IC: ..."

// ---- Port selection (1002) ----
constexpr int kPortList = 4026;
constexpr int kPortOk = 1;
constexpr int kPortExit = 403;

// ---- Firmware uploader (1003) ----
constexpr int kLoadBin = 4046;
constexpr int kProgram = 4028;
constexpr int kUploadProgress = 4032;
constexpr int kUploadLog = 4034;
constexpr int kUploadMessage = 4036;
constexpr int kUploadPath = 4038;
constexpr int kUploadExit = 4040;

// ---- About (1004) ----
constexpr int kAboutOk = 1;
constexpr int kVersionLine = 4030;
constexpr int kOsLine = 4042;
constexpr int kHelpLine = 4096;
constexpr int kVerbose = 4048;

// ---- RTTY (1005) ----
constexpr int kRttyEnable = 4044;
constexpr int kRttyDiddle = 4050;
constexpr int kRttyFskMap = 4052;
constexpr int kRttyAutoCrlf = 4056;
constexpr int kRttyReverse = 4123;
constexpr int kRttyBaud = 4076;
constexpr int kRttyDiddleIs = 4078;
constexpr int kRttyStopBits = 4098;
constexpr int kRttyUsos = 4102;
constexpr int kRttyCancel = 4105;
constexpr int kRttyOk = 4106;

}  // namespace zt::ids
