#pragma once

namespace setrion::ui::wifi_dlg {

// Control ids of the Wi-Fi settings dialog.
inline constexpr int kExit = 1;
inline constexpr int kPort = 1026;
inline constexpr int kBaud = 1027;
inline constexpr int kIp = 1028;
inline constexpr int kNetMask = 1029;
inline constexpr int kGateway = 1030;
inline constexpr int kSsid = 1031;
inline constexpr int kGet = 1034;
inline constexpr int kSave = 1035;
inline constexpr int kDns = 1036;
inline constexpr int kOpenPort = 1037;
inline constexpr int kClosePort = 1038;
inline constexpr int kMode = 1039;
inline constexpr int kChannel = 1040;
inline constexpr int kEncryption = 1041;
inline constexpr int kWpaEncryption = 1043;
inline constexpr int kWpaKey = 1046;
inline constexpr int kKeyFormat1 = 1048;
inline constexpr int kKeyFormat2 = 1050;
inline constexpr int kKeyFormat3 = 1052;
inline constexpr int kKeyFormat4 = 1054;
inline constexpr int kUsingKeyId = 1101;
inline constexpr int kProgress = 1102;
inline constexpr int kAuthentication = 1103;
inline constexpr int kKey1 = 1104;
inline constexpr int kKey2 = 1105;
inline constexpr int kKey3 = 1106;
inline constexpr int kKey4 = 1107;
inline constexpr int kWpaAuthentication = 1108;
inline constexpr int kParity = 1112;
inline constexpr int kDataBits = 1113;
inline constexpr int kStopBits = 1114;
inline constexpr int kFlowControl = 1138;
inline constexpr int kMacAddress = 1145;
inline constexpr int kReset = 1148;
inline constexpr int kDhcp = 1149;
inline constexpr int kTcpPort = 1164;
inline constexpr int kEnterprise = 1175;
inline constexpr int kLpdQueue = 1194;

// Controls whose ids the dialog's resource does not fix.
inline constexpr int kWifiSearch = 1176;
inline constexpr int kNetworkSave = 1177;
inline constexpr int kPrinterList = 1178;
inline constexpr int kLpdEnable = 1193;
inline constexpr int k5Ghz = 1195;
inline constexpr int kGroupOuter = 1180;
inline constexpr int kGroupPort = 1181;
inline constexpr int kGroupWifi = 1182;
inline constexpr int kGroupWep = 1183;
inline constexpr int kGroupWpa = 1184;

// Labels and notes.
inline constexpr int kPortLabel = 3000;
inline constexpr int kBaudLabel = 3001;
inline constexpr int kDataBitsLabel = 3002;
inline constexpr int kParityLabel = 3003;
inline constexpr int kStopBitsLabel = 3004;
inline constexpr int kFlowControlLabel = 3005;
inline constexpr int kMacLabel = 3006;
inline constexpr int kSsidLabel = 3007;
inline constexpr int kIpLabel = 3008;
inline constexpr int kNetMaskLabel = 3009;
inline constexpr int kGatewayLabel = 3010;
inline constexpr int kDnsLabel = 3011;
inline constexpr int kTcpPortLabel = 3012;
inline constexpr int kLpdQueueLabel = 3013;
inline constexpr int kModeLabel = 3014;
inline constexpr int kChannelLabel = 3015;
inline constexpr int kEncryptionLabel = 3016;
inline constexpr int kAuthenticationLabel = 3017;
inline constexpr int kUsingKeyIdLabel = 3018;
inline constexpr int kWepNote = 3019;
inline constexpr int kKey1Label = 3020;  // 3020..3023
inline constexpr int kProgressLabel = 3024;
inline constexpr int kWpaAuthenticationLabel = 3025;
inline constexpr int kWpaEncryptionLabel = 3026;
inline constexpr int kWpaKeyLabel = 3027;
inline constexpr int kWpaNote = 3028;

// The four WEP key slots: edit and format list.
inline constexpr int kKeyEdits[4] = {kKey1, kKey2, kKey3, kKey4};
inline constexpr int kKeyFormats[4] = {kKeyFormat1, kKeyFormat2, kKeyFormat3, kKeyFormat4};

// The Port list position that enters network mode.
inline constexpr int kNetworkPortIndex = 10;

inline constexpr const char* kWpaNoteSerial =
    "WPA Key is a write-only. The input range is 8 to 63 ASCII or 64 hex characters.";
inline constexpr const char* kWpaNoteNetwork = "WPA Key is characters of 8 ~ 32 length.";

// "Save Wi-Fi Information" pressed before a port was opened (the INI file enables it).
inline constexpr const char* kSaveNeedsOpenPortText =
    "The port is not open.\nOpen the port with \"Open Port\" first, then save the Wi-Fi "
    "information.";

// Asked before a factory reset (Yes/No), which loses every setting of the module.
inline constexpr const char* kResetQuestion =
    "Reset the Wi-Fi module to its factory settings?\nEvery Wi-Fi setting of the module is lost.";

}  // namespace setrion::ui::wifi_dlg
