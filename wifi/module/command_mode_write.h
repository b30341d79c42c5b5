#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "wifi/module/command_mode_read.h"
#include "wifi/module/module_connection.h"
#include "wifi/module/sequence_result.h"
#include "wifi/settings/settings_table.h"

namespace setrion::wifi {

// The dialog's values a command-mode save writes (selections are list positions).
struct CommandModeWriteInput {
    Octets ip{}, netmask{}, gateway{}, dns{};
    std::string ssid;
    int mode = 1;               // Wi-Fi Mode selection
    int channelSelection = 0;   // Wi-Fi Channel selection (channel - 1)
    int encryption = 0;         // Wi-Fi Encryption selection: None, WEP64, WEP128, WPA, 802.1x
    int keyInUse = 0;           // Using KEY ID selection 0-3
    int authentication = 1;     // Wi-Fi Authentication selection
    int wpaAuthentication = 0;  // "None Use", "WPA-PSK", "WPA2-PSK"
    int wpaEncryption = 0;      // "None Use", "TKIP", "AES", "TKIP+AES"
    std::array<std::string, 4> keyTexts;  // the key edits as typed
    KeyFormats keyFormats{};
    // Keys written from keyTexts besides the key in use (a profile's wep_keys), each into the
    // store of its size; the others keep what the module reported.
    std::array<bool, 4> keysGiven{};
    std::string wpaKey;
    long tcpPort = 0;  // the TCP PORT edit's number
    bool dhcp = false;
};

// The steps of the save, in order (1-13), then the store (14).
enum class WriteStep : int {
    IpAddress = 1,
    SubnetMask,
    Gateway,
    Dns,
    Ssid,
    WlanOptions,
    WepKeys40,
    WepKeys104,
    WpaKey,
    WpaKeyExtended,
    TcpIpPort,
    WpaPsk,
    TcpActiveOptions,
    Store,
};

using WriteStepSink = std::function<void(WriteStep step, int progress)>;

inline constexpr const char* kSaveCompletedText = "Save Completed !!!";
inline constexpr const char* kSaveCompletedTitle = "Save Wi-Fi information";
inline constexpr const char* kFlashWriteErrorText = "Flash Write Error";

// The key checks made before anything is sent (caption "Error").
std::optional<SequenceResult> validateCommandModeWrite(const CommandModeWriteInput& in);
// The field limits taken over with the values (SSID 32, WPA key 64, TCP port 0-65535).
std::optional<SequenceResult> checkCommandModeFields(const CommandModeWriteInput& in);

// The key bytes written for one size (5 or 13) per the key-in-use and format rules; a given
// key of that size is written where the user put it.
std::vector<uint8_t> wepKeyRecordValue(const CommandModeWriteInput& in, const WepKeyStore& lastRead,
                                       std::size_t size);

// Validates, unlocks, writes the parameters one by one, judging each reply, and stores.
// The choice fields written (after the WPA and "None" adjustments) are kept in `options`.
SequenceResult writeCommandModeSettings(ModuleConnection& conn, const CommandModeWriteInput& in,
                                        const CommandModeSettings& lastRead,
                                        WlanOptionsValue* options = nullptr,
                                        const WriteStepSink& sink = {});

}  // namespace setrion::wifi
