#pragma once

namespace setrion::ui::main_dlg {

// Control ids of the main settings dialog (template 102).
inline constexpr int kExit = 1;
inline constexpr int kPort = 1000;
inline constexpr int kBaud = 1001;
inline constexpr int kParity = 1002;
inline constexpr int kDataBits = 1003;
inline constexpr int kStopBits = 1004;
inline constexpr int kOpenPort = 1005;
inline constexpr int kSaveSerialConfig = 1006;
inline constexpr int kGetEmulation = 1007;
inline constexpr int kEmulationText = 1008;
inline constexpr int kSetCpcl = 1009;
inline constexpr int kSetEscPos = 1010;
inline constexpr int kClosePort = 1011;
inline constexpr int kGetBluetooth = 1012;
inline constexpr int kBtAddress = 1013;
inline constexpr int kPin = 1014;
inline constexpr int kDiscoverableOn = 1015;
inline constexpr int kDiscoverableOff = 1016;
inline constexpr int kSavePin = 1017;
inline constexpr int kSaveDiscoverable = 1018;
inline constexpr int kStartWifi = 1019;
inline constexpr int kGroupConnection = 1020;
inline constexpr int kGroupEmulation = 1021;
inline constexpr int kGroupBluetooth = 1022;
inline constexpr int kGroupPin = 1023;
inline constexpr int kGroupDiscoverable = 1024;
inline constexpr int kGroupWifi = 1025;
inline constexpr int kGroupFont = 1026;
inline constexpr int kFontOpen = 1027;
inline constexpr int kFontDownload = 1028;
inline constexpr int kBtAddressLabel = 1118;
inline constexpr int kPinLabel = 1119;
inline constexpr int kPowerSaveMode = 1134;
inline constexpr int kMinuteLabel = 1135;
inline constexpr int kFlowControl = 1137;
inline constexpr int kGroupPowerSave = 1139;
inline constexpr int kSavePowerSave = 1140;
inline constexpr int kMinutes = 1141;
inline constexpr int kGroupCodePage = 1142;
inline constexpr int kSaveCodePage = 1143;
inline constexpr int kCodePage = 1144;
inline constexpr int kDensity = 1145;
inline constexpr int kPrintCodePage = 1146;
inline constexpr int kCodePageLabel = 1147;
inline constexpr int kDensityLabel = 1148;
inline constexpr int kGroupMedia = 1158;
inline constexpr int kSetGap = 1159;
inline constexpr int kSetBlackMark = 1160;
inline constexpr int kGroupDensity = 1161;
inline constexpr int kSaveDensity = 1162;
inline constexpr int kFontProgress = 1174;

// The list labels have no id of their own in the dialog; the model gives them these.
inline constexpr int kPortLabel = 3000;
inline constexpr int kBaudLabel = 3001;
inline constexpr int kDataBitsLabel = 3002;
inline constexpr int kParityLabel = 3003;
inline constexpr int kStopBitsLabel = 3004;
inline constexpr int kFlowControlLabel = 3005;

// System menu commands 16 to 31 open the About box.
inline constexpr int kAboutCommand = 16;

}  // namespace setrion::ui::main_dlg
