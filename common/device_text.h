#pragma once
// Texts that come from a device (SSIDs, keys, queue names, a text printer's MAC field) are
// bytes, not UTF-8. Output rules:
//
// JSON: a text that is valid UTF-8 is printed as it is (JSON escapes its control
// characters as \u00XX). A text that is not has every byte of an invalid sequence replaced
// by U+FFFD, and a companion key "<key>_hex" beside it carries the raw bytes as upper-case
// hexadecimal text, so nothing is lost; a settings file given back takes the companion's
// bytes. The JSON printer therefore never fails on device bytes.
//
// Plain text (a terminal): valid UTF-8 characters other than controls are printed as they
// are; control bytes (0x00-0x1F, 0x7F), C1 controls (U+0080-U+009F), bytes of invalid
// sequences and the backslash itself are printed as \xNN, so a device cannot send escape
// sequences to the terminal.
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace setrion {

// True when `bytes` is well-formed UTF-8 (no overlong forms, surrogates or values past
// U+10FFFF).
bool isValidUtf8(std::string_view bytes);

// `bytes` with each byte of an invalid sequence replaced by U+FFFD.
std::string utf8WithReplacements(std::string_view bytes);

// `bytes` made safe for a terminal by the plain-text rule above.
std::string terminalText(std::string_view bytes);

// Applies the JSON rule to every string member of `object` (other values are left alone):
// invalid texts are replaced and get their "<key>_hex" companion.
void applyDeviceTextRule(nlohmann::json& object);

// The same rule through a whole tree (a state file): every object's texts, and an array of
// texts whose companion "<key>_hex" is the array of every element's bytes.
void applyDeviceTextRuleDeep(nlohmann::json& value);

}  // namespace setrion
