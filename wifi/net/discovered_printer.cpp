#include "wifi/net/discovered_printer.h"

#include <algorithm>

namespace setrion::net {
namespace {

template <size_t N>
std::string textUpToNul(const std::array<uint8_t, N>& a, size_t from = 0) {
    std::string s;
    for (size_t i = from; i < N && a[i] != 0; ++i) s.push_back(static_cast<char>(a[i]));
    return s;
}

uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

}  // namespace

uint32_t DiscoveredPrinter::ioFlags() const {
    return uint32_t{ioBlock[0]} | (uint32_t{ioBlock[1]} << 8) | (uint32_t{ioBlock[2]} << 16) |
           (uint32_t{ioBlock[3]} << 24);
}
uint16_t DiscoveredPrinter::modbusPort() const { return le16(&ioBlock[8]); }
uint16_t DiscoveredPrinter::ioPortA() const { return le16(&ioBlock[12]); }
uint16_t DiscoveredPrinter::ioPortB() const { return le16(&ioBlock[14]); }

std::string DiscoveredPrinter::ssidText() const { return textUpToNul(ssid); }

void DiscoveredPrinter::setSsidText(std::string_view text) {
    ssid.fill(0);
    std::copy_n(text.begin(), std::min(text.size(), ssid.size()), ssid.begin());
}

std::string DiscoveredPrinter::wpaKeyText() const {
    std::string s = textUpToNul(wpaPassphrase);
    if (s.size() == wpaPassphrase.size()) s += textUpToNul(wpaPsk);
    return s;
}

std::string DiscoveredPrinter::wpaPassphraseText() const { return textUpToNul(wpaPassphrase); }

bool DiscoveredPrinter::setWpaKeyText(std::string_view text) {
    if (text.size() > wpaPassphrase.size() + wpaPsk.size()) return false;
    wpaPassphrase.fill(0);
    wpaPsk.fill(0);
    size_t first = std::min(text.size(), wpaPassphrase.size());
    std::copy_n(text.begin(), first, wpaPassphrase.begin());
    std::copy(text.begin() + static_cast<std::ptrdiff_t>(first), text.end(), wpaPsk.begin());
    return true;
}

std::string DiscoveredPrinter::wepKeyText(int wep, int k) const {
    if (k < 0 || k > 3) return {};
    if (wep == 1) return textUpToNul(wep40Keys, static_cast<size_t>(k) * 5);
    if (wep == 2) return textUpToNul(wep104Keys, static_cast<size_t>(k) * 13);
    return {};
}

int comparePrinters(const DiscoveredPrinter& a, const DiscoveredPrinter& b) {
    for (size_t i = 0; i < a.mac.size(); ++i) {
        if (a.mac[i] != b.mac[i]) return a.mac[i] < b.mac[i] ? -1 : 1;
    }
    return 0;
}

}  // namespace setrion::net
