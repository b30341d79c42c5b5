#include "wifi/module/key_rules.h"

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

WpaKeyEdit applyWpaKeyRule(std::string_view text) {
    WpaKeyEdit e;
    e.text = std::string(text);
    const bool allHex =
        std::all_of(text.begin(), text.end(), [](char c) { return hexDigitValue(c) >= 0; });
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
