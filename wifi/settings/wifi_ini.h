#pragma once
#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "wifi/settings/ini_file.h"
#include "wifi/settings/settings_table.h"
#include "wifi/settings/wifi_settings.h"

namespace setrion::wifi {

// The Wi-Fi settings INI file: "Tessun_WIFI.ini" in the current folder, section "WiFiInfo".
// It gives a settings-block module's record its starting values when the Wi-Fi dialog opens
// and receives the dialog's values when the dialog is destroyed. The program never creates
// it: it is read only when it exists and written only when it still exists.
inline constexpr const char* kWifiIniFileName = "Tessun_WIFI.ini";
inline constexpr std::string_view kWifiIniSection = "WiFiInfo";
// "./Tessun_WIFI.ini".
std::filesystem::path defaultWifiIniPath();

// What the file gives the record and the dialog's controls. Every key is read with "" as
// its default. A key that is missing, or whose value has not the exact length or form its
// field takes, gives nothing here and leaves the record's field as it was: the control then
// keeps its previous value. A text longer than its record field (SSID 32, KEY1..KEY4 26,
// WPAKEY 64) is refused rather than cut: it gives nothing and is listed in `refused`.
// Addresses are four decimal parts 0-255, leading zeros allowed ("192.168.001.010").

// A text value longer than its record field.
struct WifiIniRefusal {
    std::string key;     // as the table names it: "SSID", "KEY2", "WPAKEY"
    std::size_t limit;   // the field's width
    std::size_t length;  // the value's length in the file
    // "SSID: expected a text of at most 32 bytes (39 given)".
    std::string message() const;
};

struct WifiIniValues {
    // The record with every accepted key in it: spaces (the dialog's table after filling it)
    // or the base record given to readWifiIni.
    WifiSettings record;

    std::optional<std::string> macText;              // "00:11:AA:BB:CC:DD" (12 characters read)
    std::string ssid;                                // the SSID edit, at most 32 characters
    std::optional<bool> dhcp;                        // "DHCP Settings" checked ("1" / "0")
    std::optional<Octets> ip, subnet, gateway, dns;  // four decimal numbers 0..255
    std::optional<int> mode;                         // "Wi-Fi Mode" position 0..1
    std::optional<int> channel;                      // channel number 1..14 (select channel - 1)
    std::optional<int> encryption;                   // "Wi-Fi Encryption" position 0..4
    std::optional<int> authentication;               // "Wi-Fi Authentication" position 0..3
    std::optional<int> useKey;                       // key in use 1..4 (select useKey - 1)
    std::array<std::string, 4> keys;  // the four key edits (at most 26 characters each)
    std::optional<int> wpa;           // record WPA code 0..4
    std::optional<int> wpaEnc;        // "WPA Encryption" position 0..1
    std::string wpaKey;               // the WPA Key edit (at most 64 characters)
    std::optional<uint16_t> tcpPort;  // the TCP PORT edit ("%d"); record TCPPORT "%04X"

    std::vector<std::string> accepted;    // the keys that gave a value, in reading order
    std::vector<WifiIniRefusal> refused;  // texts longer than their field, in reading order
    // The section's other keys, in file order, each "KEY: why": unknown keys and values
    // outside their key's form.
    std::vector<std::string> ignored;
};

// Reads every key of the section in the file's order into `base` (read steps 2 and 3).
WifiIniValues readWifiIni(const IniFile& file, const WifiSettings& base = WifiSettings());
// The same from a file; nothing when the file does not exist or cannot be read (the dialog
// then starts with moduleKind 1).
std::optional<WifiIniValues> loadWifiIni(const std::filesystem::path& path,
                                         const WifiSettings& base = WifiSettings());

// The dialog's controls when it is destroyed, as the write steps take them. List positions
// are -1 when nothing is selected.
struct WifiIniControls {
    std::string macText;  // the MAC edit: written only when it splits at ':' into 6 parts
    std::string ssid;
    bool dhcp = false;
    Octets ip{}, subnet{}, gateway{}, dns{};
    int mode = -1;
    int channelPosition = -1;  // written as "%02d" of position + 1
    int encryption = -1;
    int authentication = -1;
    int keyInUse = -1;                    // "Using KEY ID" position 0..3, written as position + 1
    std::array<std::string, 4> keyTexts;  // the four key edits as typed
    KeyFormats keyFormats{};              // HEX or ASCII per key, as the dialog holds them
    int wpaAuthentication = -1;
    int wpaEncryption = -1;
    std::string wpaKey;
};

// Key length messages of the write, shown with the caption "Error".
inline constexpr const char* kWifiIniErrorCaption = "Error";
inline constexpr const char* kWifiIniKeyTooLongText = "Key Length is too long";
inline constexpr const char* kWifiIniKeyNotMatchedText = "Key Length is not matched";
inline constexpr const char* kWifiIniWpaKeyNotLongText = "WPA Key Length is not long";

// Applies the write steps 2 to 7 to the file in memory. `entry0` gives Version and TCPPORT.
// Returns the key length message ("" for none); after one, WPA, WPAENC, WPAKEY and TCPPORT
// keep the values they had, while the keys before the check are already set.
std::string applyWifiIniWrite(IniFile& file, const WifiSettings& entry0,
                              const WifiIniControls& controls);

struct WifiIniWriteResult {
    bool written = false;  // the file was replaced
    std::string message;   // a key length message for a box with kWifiIniErrorCaption, or ""
    std::string error;     // why an existing file could not be read or replaced, or ""
};

// The dialog's destruction step: nothing unless `moduleKind` is 2 or more and the file
// exists; otherwise the file is read, changed by applyWifiIniWrite and replaced atomically
// (all other sections, keys and comments kept byte for byte).
WifiIniWriteResult writeWifiIni(const std::filesystem::path& path, int moduleKind,
                                const WifiSettings& entry0, const WifiIniControls& controls);

// One Wi-Fi INI file at a fixed path, for a dialog that keeps its own write steps: the file
// is looked up at each call, read by readWifiIni and changed key by key in place.
class WifiIniFile {
  public:
    using KeyValues = std::vector<std::pair<std::string, std::string>>;

    explicit WifiIniFile(std::filesystem::path path = defaultWifiIniPath())
        : m_path(std::move(path)) {}
    const std::filesystem::path& path() const { return m_path; }

    // The file exists now.
    bool exists() const;
    // Reads the section's keys into `record` (missing, malformed or refused keys leave their
    // field as it is; the refused texts go to `refused` when given); false, with `record`
    // unchanged, when the file is absent or unreadable.
    bool load(WifiSettings& record, std::vector<WifiIniRefusal>* refused = nullptr) const;
    // Sets the keys of the section in order, keeping every other line, and replaces the file
    // atomically; false when it no longer exists or cannot be replaced.
    bool write(const KeyValues& values, std::string* error = nullptr) const;

  private:
    std::filesystem::path m_path;
};

}  // namespace setrion::wifi
