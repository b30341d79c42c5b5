#include "wifi/settings/key_rules.h"

#include <algorithm>

#include "common/hex.h"

namespace setrion::wifi {

int keySizeClass(int encryption) { return (encryption == 1 || encryption == 2) ? encryption : 0; }

std::optional<int> wepKeyEditLimit(int sizeClass, KeyFormat format) {
    const bool ascii = format == KeyFormat::Ascii;
    if (sizeClass == 1) return ascii ? 5 : 10;
    if (sizeClass == 2) return ascii ? 13 : 26;
    return std::nullopt;
}

int wepKeyHexLength(int sizeClass) { return sizeClass == 1 ? 10 : sizeClass == 2 ? 26 : 0; }

std::string storedWepKeyText(std::string_view typed, KeyFormat format) {
    if (format == KeyFormat::Ascii) return asciiKeyToHex(typed);
    if (!typed.empty() && hexDigitValue(typed.back()) < 0) typed.remove_suffix(1);
    return std::string(typed);
}

std::string wepKeyDisplayText(std::string_view storedHex, int sizeClass, KeyFormat format) {
    const std::size_t n = static_cast<std::size_t>(wepKeyHexLength(sizeClass));
    std::string_view hex = storedHex.substr(0, std::min(n, storedHex.size()));
    if (format == KeyFormat::Hex) return std::string(hex);
    return hexKeyToAscii(hex);
}

std::optional<std::string> wepKeyLengthError(int encryption, KeyFormat format,
                                             std::string_view key) {
    const int sizeClass = keySizeClass(encryption);
    if (sizeClass == 0) return std::nullopt;
    const std::size_t limit = static_cast<std::size_t>(*wepKeyEditLimit(sizeClass, format));
    if (format == KeyFormat::Ascii) {
        if (key.size() > limit) return std::string(kKeyTooLongText);
    } else if (key.size() != limit) {
        return std::string(kKeyNotMatchedText);
    }
    return std::nullopt;
}

namespace {
bool allHexDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return hexDigitValue(c) >= 0; });
}
}  // namespace

std::optional<std::string> wepKeyFault(std::string_view key, KeyFormat format, int sizeClass) {
    const bool ascii = format == KeyFormat::Ascii;
    const std::size_t small = ascii ? 5 : 10, large = ascii ? 13 : 26;
    const bool sizeOk = sizeClass == 1   ? key.size() == small
                        : sizeClass == 2 ? key.size() == large
                                         : (key.size() == small || key.size() == large);
    if (sizeOk && (ascii || allHexDigits(key))) return std::nullopt;
    const std::string unit = ascii ? " ASCII characters" : " hexadecimal digits";
    if (sizeClass == 1) return std::to_string(small) + unit;
    if (sizeClass == 2) return std::to_string(large) + unit;
    return std::to_string(small) + " or " + std::to_string(large) + unit;
}

std::optional<std::string> wpaKeyFault(std::string_view key, std::size_t fieldBytes) {
    const bool sound =
        (key.size() >= 8 && key.size() <= 63) || (key.size() == 64 && allHexDigits(key));
    if (sound && key.size() <= fieldBytes) return std::nullopt;
    std::string what = "8-63 characters or 64 hexadecimal digits";
    if (fieldBytes < 64) what += " (at most " + std::to_string(fieldBytes) + " on this module)";
    return what;
}

std::optional<std::string> wepKeyError(int encryption, KeyFormat format, std::string_view key) {
    if (auto length = wepKeyLengthError(encryption, format, key)) return length;
    const int sizeClass = keySizeClass(encryption);
    if (sizeClass == 0 || !wepKeyFault(key, format, sizeClass)) return std::nullopt;
    return std::string(format == KeyFormat::Hex ? kKeyNotHexText : kKeyNotMatchedText);
}

std::optional<std::string> wpaKeyError(std::string_view key) {
    if (key.size() > 64) return std::string(kWpaKeyTooLongText);
    if (wpaKeyFault(key)) return std::string(kWpaKeyRangeText);
    return std::nullopt;
}

WpaKeyEdit applyWpaKeyRule(std::string_view text) {
    WpaKeyEdit e;
    e.text = std::string(text);
    const bool allHex = allHexDigits(text);
    e.limit = allHex ? 64 : 63;
    if (!allHex && e.text.size() >= 64) {
        e.text.resize(63);
        e.cut = true;
    }
    return e;
}

WpaAuthenticationEffect wpaAuthenticationChangedCommandMode(int selection, int generation) {
    switch (selection) {
        case 0: return {0, false};
        case 1: return {1, false};
        case 2: return {2, generation == 3 ? std::optional<bool>(true) : std::nullopt};
        default: return {};
    }
}

WpaAuthenticationEffect wpaAuthenticationChangedBlock(int selection) {
    if (selection == 0 || selection == 1) return {selection, false};
    return {};
}

}  // namespace setrion::wifi
