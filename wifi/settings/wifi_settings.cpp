#include "wifi/settings/wifi_settings.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "common/hex.h"

namespace setrion::wifi {

namespace {

// Parses up to `maxDigits` characters as strtol(.., base) would: blanks skipped, stops at
// the first character that is not a digit of the base.
unsigned parsePrefix(std::string_view s, int base) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    unsigned value = 0;
    for (; i < s.size(); ++i) {
        int d = base == 16 ? hexDigitValue(s[i]) : (s[i] >= '0' && s[i] <= '9' ? s[i] - '0' : -1);
        if (d < 0) break;
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(d);
    }
    return value;
}

}  // namespace

WifiSettings::WifiSettings() {
    m_bytes.fill(' ');
}

std::optional<WifiSettings> WifiSettings::fromBytes(std::span<const uint8_t> bytes) {
    if (bytes.size() != kWifiSettingsSize) return std::nullopt;
    WifiSettings s;
    std::copy(bytes.begin(), bytes.end(), s.m_bytes.begin());
    return s;
}

std::span<const uint8_t> WifiSettings::raw(RecordField f) const {
    return std::span<const uint8_t>(m_bytes).subspan(f.offset, f.length);
}

std::string WifiSettings::text(RecordField f) const {
    auto bytes = raw(f);
    std::string_view all(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    // A field written with CR LF ends there.
    if (f.crlf)
        if (std::size_t end = all.find("\r\n"); end != std::string_view::npos)
            return std::string(all.substr(0, end));
    // A NUL never belongs to a text: it starts NUL padding, and spaces before it are kept.
    if (std::size_t nul = all.find('\0'); nul != std::string_view::npos)
        return std::string(all.substr(0, nul));
    // Otherwise the padding is spaces (a space-padded field, or a table filled with spaces).
    std::size_t end = all.find_last_not_of(' ');
    return end == std::string_view::npos ? std::string() : std::string(all.substr(0, end + 1));
}

bool WifiSettings::setText(RecordField f, std::string_view value) {
    if (value.size() > f.capacity()) return false;
    auto* start = m_bytes.data() + f.offset;
    std::fill(start, start + f.length, f.padding);
    std::copy(value.begin(), value.end(), start);
    if (f.crlf) {
        start[value.size()] = '\r';
        start[value.size() + 1] = '\n';
    }
    return true;
}

bool WifiSettings::overwriteStart(RecordField f, std::string_view value) {
    if (value.size() > f.length) return false;
    std::copy(value.begin(), value.end(), m_bytes.data() + f.offset);
    return true;
}

void WifiSettings::fill(RecordField f, uint8_t value) {
    std::fill_n(m_bytes.data() + f.offset, f.length, value);
}

int WifiSettings::choice(RecordField f) const {
    uint8_t c = m_bytes[f.offset];
    return (c >= '0' && c <= '9') ? c - '0' : -1;
}

bool WifiSettings::setChoice(RecordField f, int code) {
    if (code < 0 || code > 9) return false;
    m_bytes[f.offset] = static_cast<uint8_t>('0' + code);
    return true;
}

Octets WifiSettings::address(RecordField f) const {
    auto r = raw(f);
    return decodeAddress(std::string_view(reinterpret_cast<const char*>(r.data()), r.size()));
}

void WifiSettings::setAddress(RecordField f, const Octets& octets) {
    overwriteStart(f, encodeAddress(octets));
}

uint16_t WifiSettings::tcpPort() const {
    auto r = raw(field::kTcpPort);
    return static_cast<uint16_t>(
        parsePrefix(std::string_view(reinterpret_cast<const char*>(r.data()), r.size()), 16));
}

void WifiSettings::setTcpPort(uint16_t port) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04X", static_cast<unsigned>(port));
    overwriteStart(field::kTcpPort, buf);
}

int WifiSettings::channel() const {
    auto r = raw(field::kChannel);
    return static_cast<int>(
        parsePrefix(std::string_view(reinterpret_cast<const char*>(r.data()), r.size()), 10));
}

bool WifiSettings::setChannel(int ch) {
    if (ch < 0 || ch > 99) return false;
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", ch);
    return overwriteStart(field::kChannel, buf);
}

int WifiSettings::channelTextNumber() const {
    auto r = raw(field::kChannelText);
    return static_cast<int>(
        parsePrefix(std::string_view(reinterpret_cast<const char*>(r.data()), r.size()), 10));
}

int WifiSettings::eapFastServers() const {
    auto r = raw(field::kEapFastServers);
    return static_cast<int>(
        parsePrefix(std::string_view(reinterpret_cast<const char*>(r.data()), r.size()), 10));
}

bool WifiSettings::setEapFastServers(int servers) {
    if (servers < 0 || servers > 999) return false;
    char buf[8];
    std::snprintf(buf, sizeof buf, "%03d", servers);
    return overwriteStart(field::kEapFastServers, buf);
}

bool WifiSettings::hasLpdSupport() const {
    return m_bytes[field::kLpdQueue.offset] != ' ';
}

std::string encodeAddress(const Octets& o) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02X%02X%02X%02X", o[0], o[1], o[2], o[3]);
    return buf;
}

Octets decodeAddress(std::string_view s) {
    Octets out{};
    for (std::size_t i = 0; i < 4; ++i) {
        if (s.size() < i * 2) break;
        out[i] = static_cast<uint8_t>(parsePrefix(s.substr(i * 2, 2), 16));
    }
    return out;
}

std::string dottedAddress(const Octets& o) {
    char buf[20];
    std::snprintf(buf, sizeof buf, "%u.%u.%u.%u", o[0], o[1], o[2], o[3]);
    return buf;
}

std::optional<Octets> parseDottedAddress(std::string_view text, bool leadingZeros) {
    Octets out{};
    std::size_t pos = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        std::size_t end = text.find('.', pos);
        if (i < 3 && end == std::string_view::npos) return std::nullopt;
        if (i == 3) {
            if (end != std::string_view::npos) return std::nullopt;
            end = text.size();
        }
        std::string_view part = text.substr(pos, end - pos);
        if (leadingZeros)
            while (part.size() > 1 && part[0] == '0') part.remove_prefix(1);
        if (part.empty() || part.size() > 3 || (part.size() > 1 && part[0] == '0'))
            return std::nullopt;
        unsigned v = 0;
        auto [p, ec] = std::from_chars(part.data(), part.data() + part.size(), v);
        if (ec != std::errc() || p != part.data() + part.size() || v > 255) return std::nullopt;
        out[i] = static_cast<uint8_t>(v);
        pos = end + 1;
    }
    return out;
}

bool isContiguousMask(const Octets& m) {
    uint32_t v = (uint32_t{m[0]} << 24) | (uint32_t{m[1]} << 16) | (uint32_t{m[2]} << 8) | m[3];
    uint32_t inverted = ~v;
    return (inverted & (inverted + 1)) == 0;
}

std::string asciiKeyToHex(std::string_view ascii) {
    return toHex(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(ascii.data()), ascii.size()));
}

std::string hexKeyToAscii(std::string_view hex) {
    auto b = decodeHexSkipping(hex);
    return std::string(b.begin(), b.end());
}

}  // namespace setrion::wifi
