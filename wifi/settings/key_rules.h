#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "wifi/settings/settings_table.h"

namespace setrion::wifi {

// Key size class from the encryption choice: 1 = 40-bit (WEP64), 2 = 104-bit (WEP128),
// 0 = none.
int keySizeClass(int encryption);

// Characters a WEP key edit takes: 10/5 (40-bit HEX/ASCII), 26/13 (104-bit); nothing for
// class 0 (the limit is left as it was).
std::optional<int> wepKeyEditLimit(int sizeClass, KeyFormat format);

// Hex characters of a stored key of a size class: 10 or 26 (0 for class 0).
int wepKeyHexLength(int sizeClass);

// The hex text stored for a typed key: HEX keeps the text, except that a last character
// that is not a hex digit is left out; ASCII becomes its upper-case hex encoding.
std::string storedWepKeyText(std::string_view typed, KeyFormat format);

// What a key edit shows for a stored key when its format becomes `format`: the first 10
// or 26 characters of the stored hex text, or the characters they encode.
std::string wepKeyDisplayText(std::string_view storedHex, int sizeClass, KeyFormat format);

// The one rule a key follows on every path (profile, INI file, dialog, LAN save). Each check
// returns nullopt for a sound key, else what the key must be ("10 hexadecimal digits"), for a
// message that names the key. A key is never "cleaned" into another one.
//
// A WEP key: 5 or 13 ASCII characters, or 10 or 26 hexadecimal digits; `sizeClass` 1 (WEP64)
// or 2 (WEP128) allows only that size, 0 either.
std::optional<std::string> wepKeyFault(std::string_view key, KeyFormat format, int sizeClass = 0);
// A WPA passphrase: 8-63 characters, or exactly 64 hexadecimal digits, and no longer than
// `fieldBytes`, the key field of the module kind at hand.
std::optional<std::string> wpaKeyFault(std::string_view key, std::size_t fieldBytes = 64);

// The dialog's texts for a key the rule refuses (beside the length texts below).
inline constexpr const char* kKeyNotHexText = "Key must be hexadecimal digits only";
inline constexpr const char* kWpaKeyRangeText =
    "WPA Key must be 8 to 63 ASCII or 64 hex characters";

// The save's check of the key in use: "Key Length is too long" (ASCII longer than 5/13),
// "Key Length is not matched" (HEX not exactly 10/26); nothing for other encryptions.
std::optional<std::string> wepKeyLengthError(int encryption, KeyFormat format,
                                             std::string_view key);
// The dialog's whole check of a WEP key: the length texts above, then kKeyNotHexText for a
// HEX key with another character, and kKeyNotMatchedText for an ASCII key too short.
std::optional<std::string> wepKeyError(int encryption, KeyFormat format, std::string_view key);
// The dialog's whole check of a WPA key under WPA: kWpaKeyTooLongText past 64 characters,
// else kWpaKeyRangeText for a key the rule refuses.
std::optional<std::string> wpaKeyError(std::string_view key);

inline constexpr const char* kWpaKeyTooLongText = "WPA Key Length is too long";
inline constexpr const char* kKeyTooLongText = "Key Length is too long";
inline constexpr const char* kKeyNotMatchedText = "Key Length is not matched";

// The WPA key edit rule: 64 characters only when every character is a hex digit (or the
// text is empty), else 63, cutting a 64-character text to 63.
struct WpaKeyEdit {
    int limit = 64;
    std::string text;  // the text after the rule
    bool cut = false;  // the text was shortened (caret to the end)
};
WpaKeyEdit applyWpaKeyRule(std::string_view text);

// WPA Authentication list changed: the WPA Encryption selection it implies and whether the
// WPA Encryption list is enabled (nullopt: left as it was).
struct WpaAuthenticationEffect {
    std::optional<int> encryptionSelection;
    std::optional<bool> encryptionEnabled;
};
// Command-mode module: 0 -> 0 disabled; 1 -> 1 disabled; 2 -> 2, enabled on generation 3.
WpaAuthenticationEffect wpaAuthenticationChangedCommandMode(int selection, int generation);
// Settings-block module: 0 -> 0, 1 -> 1, both disabled (WPAENC follows); others unchanged.
WpaAuthenticationEffect wpaAuthenticationChangedBlock(int selection);

}  // namespace setrion::wifi
