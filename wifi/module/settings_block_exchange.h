#pragma once
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "wifi/module/module_connection.h"
#include "wifi/module/sequence_result.h"
#include "wifi/settings/settings_table.h"

namespace setrion::wifi {

inline constexpr const char* kReadingErrorText = "Reading Error!!!";
inline constexpr const char* kSyntexErrorText = "Syntex Error!!!";
inline constexpr const char* kSavingErrorText = "Saving Error!!!";
inline constexpr const char* kSsidTooLongText = "SSID Key length should be less than 32";
inline constexpr const char* kLpdQueueTooLongText = "LPD Queue Name is too long";

// Blanks the four WEP key fields and the WPA key field to zero bytes (keys are write-only).
void clearKeyFields(WifiSettings& record);

// Reads the module's record with one settings block (no pause, 501 empty polls). On success
// `record` holds it with its key fields cleared. Messages: "Reading Error!!!" (nothing
// arrived), "Syntex Error!!!" (byte 0 not STX, bytes 6-7 not CR LF, or the record cut short),
// both with the application's caption.
SequenceResult readSettingsBlock(ModuleConnection& conn, WifiSettings& record);

// Sends the record in a write block and collects the record the module now holds (4001
// empty polls; `progress` gets the empty-poll run divided by 40 after every poll). On
// success `record` becomes the module's reply with its key fields cleared.
SequenceResult writeSettingsBlock(ModuleConnection& conn, WifiSettings& record,
                                  const std::function<void(int)>& progress = {});

// The dialog's values a settings-block save puts into the record.
struct BlockWriteInput {
    std::string macText;  // "aa:bb:cc:dd:ee:ff"; taken only with six parts
    std::string ssid;
    bool dhcp = false;
    Octets ip{}, netmask{}, gateway{}, dns{};
    int mode = 1;
    int channel = 1;  // the channel number (2.4 GHz 1-14, or a 5 GHz number with LPD support)
    int encryption = 0;
    int authentication = 1;
    int keyInUse = 0;
    std::array<std::string, 4> keyTexts;
    KeyFormats keyFormats{};
    std::array<bool, 4> keysGiven{};  // keys written besides the key in use (a profile's wep_keys)
    int wpaAuthentication = 0;        // list position: "WPA-PSK" 0, "WPA2-PSK" 1, ... (code - 1)
    int wpaEncryption = 0;            // "TKIP" 0, "AES" 1
    std::string wpaKey;
    uint16_t tcpPort = 0;
    bool lpdEnable = false;
    std::string lpdQueue;
    std::string channelText;  // the channel list's text
    std::string eapId, eapPassword, caCertFile, clientCertFile, privateKeyFile;
};

// The save's checks for a settings-block module (caption "Error").
std::optional<SequenceResult> validateBlockWrite(const BlockWriteInput& in, bool lpdSupport);

// Updates the record field by field from the dialog's values; fields the dialog does not
// edit (Version, the reserved blocks, the other WEP keys) keep their bytes.
void fillRecordFromInput(WifiSettings& record, const BlockWriteInput& in, bool lpdSupport);

}  // namespace setrion::wifi
