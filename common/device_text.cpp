#include "common/device_text.h"

#include <cstdint>
#include <span>
#include <vector>

#include "common/hex.h"

namespace setrion {
namespace {

// Length of the well-formed UTF-8 sequence at `i`, or 0; `cp` gets its code point.
std::size_t sequenceAt(std::string_view s, std::size_t i, uint32_t& cp) {
    auto b = [&](std::size_t k) { return static_cast<uint8_t>(s[k]); };
    uint8_t c = b(i);
    if (c < 0x80) {
        cp = c;
        return 1;
    }
    std::size_t len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
    if (len == 0 || c > 0xF4 || i + len > s.size()) return 0;
    cp = c & (0x7F >> len);
    for (std::size_t k = 1; k < len; ++k) {
        if ((b(i + k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b(i + k) & 0x3F);
    }
    if ((len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) || cp > 0x10FFFF ||
        (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

}  // namespace

bool isValidUtf8(std::string_view s) {
    uint32_t cp = 0;
    for (std::size_t i = 0; i < s.size();) {
        std::size_t n = sequenceAt(s, i, cp);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

std::string utf8WithReplacements(std::string_view s) {
    std::string out;
    uint32_t cp = 0;
    for (std::size_t i = 0; i < s.size();) {
        std::size_t n = sequenceAt(s, i, cp);
        if (n == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
        } else {
            out.append(s.substr(i, n));
            i += n;
        }
    }
    return out;
}

std::string terminalText(std::string_view s) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    auto escape = [&](uint8_t byte) {
        out += "\\x";
        out.push_back(kDigits[byte >> 4]);
        out.push_back(kDigits[byte & 0xF]);
    };
    uint32_t cp = 0;
    for (std::size_t i = 0; i < s.size();) {
        std::size_t n = sequenceAt(s, i, cp);
        bool control = cp < 0x20 || cp == 0x7F || (cp >= 0x80 && cp <= 0x9F) || cp == '\\';
        if (n == 0 || control) {
            for (std::size_t k = 0; k < (n == 0 ? 1 : n); ++k)
                escape(static_cast<uint8_t>(s[i + k]));
            i += n == 0 ? 1 : n;
        } else {
            out.append(s.substr(i, n));
            i += n;
        }
    }
    return out;
}

void applyDeviceTextRule(nlohmann::json& object) {
    if (!object.is_object()) return;
    std::vector<std::pair<std::string, std::string>> companions;
    for (auto& [key, value] : object.items()) {
        if (!value.is_string()) continue;
        const auto& bytes = value.get_ref<const std::string&>();
        if (isValidUtf8(bytes)) continue;
        companions.emplace_back(
            key + "_hex",
            toHex(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size())));
        value = utf8WithReplacements(bytes);
    }
    for (auto& [key, hex] : companions) object[key] = hex;
}

namespace {
std::string bytesHex(const std::string& bytes) {
    return toHex(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}
}  // namespace

void applyDeviceTextRuleDeep(nlohmann::json& value) {
    if (value.is_array()) {
        for (auto& element : value) applyDeviceTextRuleDeep(element);
        return;
    }
    if (!value.is_object()) return;
    std::vector<std::pair<std::string, nlohmann::json>> companions;
    for (auto& [key, member] : value.items()) {
        if (!member.is_array()) {
            applyDeviceTextRuleDeep(member);
            continue;
        }
        bool invalid = false;
        for (const auto& e : member)
            invalid = invalid || (e.is_string() && !isValidUtf8(e.get_ref<const std::string&>()));
        if (!invalid) {
            applyDeviceTextRuleDeep(member);
            continue;
        }
        nlohmann::json hex = nlohmann::json::array();
        for (auto& e : member) {
            if (!e.is_string()) {
                hex.push_back(nullptr);
                continue;
            }
            hex.push_back(bytesHex(e.get<std::string>()));
            e = utf8WithReplacements(e.get<std::string>());
        }
        companions.emplace_back(key + "_hex", std::move(hex));
    }
    applyDeviceTextRule(value);
    for (auto& [key, hex] : companions) value[key] = std::move(hex);
}

}  // namespace setrion
