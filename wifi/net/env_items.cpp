#include "wifi/net/env_items.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include "common/crc16.h"
#include "common/trace.h"
#include "common/wpa_psk.h"

namespace setrion::net {
namespace {

constexpr const char* kTraceBadItem = "What ENV???\n";
constexpr const char* kTraceCrcFail = "CRC fail...\n";

template <size_t N>
void take(std::array<uint8_t, N>& field, const std::array<uint8_t, kItemScratchSize>& area) {
    std::copy_n(area.begin(), N, field.begin());
}

uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t le32(const uint8_t* p) {
    return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) |
           (uint32_t{p[3]} << 24);
}
void putLe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
std::array<uint8_t, 2> bytes16(uint16_t v) {
    return {static_cast<uint8_t>(v & 0xFF), static_cast<uint8_t>(v >> 8)};
}
std::array<uint8_t, 4> bytes32(uint32_t v) {
    std::array<uint8_t, 4> b{};
    putLe32(b.data(), v);
    return b;
}

void setBit18(std::array<uint8_t, 12>& head, bool on) {
    uint32_t w = le32(head.data());
    w = on ? (w | (1u << 18)) : (w & ~(1u << 18));
    putLe32(head.data(), w);
}

bool in(uint8_t v, std::initializer_list<uint8_t> set) {
    return std::find(set.begin(), set.end(), v) != set.end();
}

// Stores one item's body into the record; false when its index is beyond an array.
bool storeItem(uint8_t type, uint8_t index, const std::array<uint8_t, kItemScratchSize>& a,
               size_t bodyLength, DiscoveredPrinter& r, ItemExtras* extras) {
    switch (type) {
    case 1:
        std::copy_n(a.begin(), 6, r.mac.begin());
        std::copy_n(a.begin() + 6, 6, r.macTail.begin());
        return true;
    case 2:
        if (index == 0) r.productCode = le16(a.data());
        if (index == 1) r.subProductCode = le16(a.data());
        deriveProductFlags(r);
        return true;
    case 3:
        if (index == 0) take(r.ipAddress, a);
        if (index == 1) take(r.subnetMask, a);
        if (index == 2) take(r.gateway, a);
        if (index == 3) take(r.dnsServer, a);
        return true;
    case 5: r.optionFlags = le32(a.data()); return true;
    case 6:
        if (index == 0) take(r.password, a);
        if (index == 1) take(r.block6b, a);
        return true;
    case 7:
        if (index == 0) take(r.text7, a);
        else if (index >= 1 && index <= 8) take(r.slotNamesA[index - 1], a);
        else if (index >= 9 && index <= 16) take(r.slotNamesB[index - 9], a);
        return true;
    case 8:
        if (index == 0) take(r.block8a, a);
        if (index == 1) take(r.block8b, a);
        return true;
    case 9:
        switch (index) {
        case 0: r.wifiFlags = le32(a.data()); break;
        case 1: take(r.ssid, a); break;
        case 2: take(r.wep40Keys, a); break;
        case 3: take(r.wep104Keys, a); break;
        case 4: take(r.wpaPassphrase, a); break;
        case 5: take(r.wpaPsk, a); break;
        case 6: take(r.wifiTail, a); break;
        default: break;
        }
        return true;
    case 16:
    case 32:
        if (index >= r.ports.size()) return false;
        if (type == 16) take(r.ports[index].head, a);
        else take(r.ports[index].block, a);
        r.ports[index].present = true;
        return true;
    case 33: take(r.text33, a); return true;
    case 34: take(r.text34, a); return true;
    case 35:
        if (index <= 1) take(r.ports[index].text, a);
        else if (index == 2) take(r.ioText, a);
        else if (index == 3) take(r.text38, a);
        else if (index == 0x80 || index == 0x81) take(r.optionText, a);
        return true;
    case 36:
        if (index >= r.macros.size()) return false;
        take(r.macros[index], a);
        return true;
    case 37: take(r.ioBlock, a); return true;
    case 38: take(r.block38, a); return true;
    case 39: take(r.block39, a); return true;
    case 40: take(r.webBlock, a); return true;
    case 48:
        if (extras) {
            extras->area48.fill(0);
            std::copy_n(a.begin(), std::min(bodyLength, extras->area48.size()),
                        extras->area48.begin());
        }
        return true;
    case 49:
        if (extras && extras->list49.size() < kType49Capacity) {
            std::array<uint8_t, 24> e{};
            std::copy_n(a.begin(), e.size(), e.begin());
            extras->list49.push_back(e);
        }
        return true;
    case 64: r.port64 = le16(a.data()); return true;
    default: return true;  // types the record does not model are skipped
    }
}

template <size_t N>
void add(std::vector<uint8_t>& out, uint8_t type, uint8_t index, const std::array<uint8_t, N>& f) {
    appendItem(out, type, index, f);
}

}  // namespace

size_t itemPadding(size_t dataLength) { return (6 - dataLength % 4) % 4; }

void appendItem(std::vector<uint8_t>& out, uint8_t type, uint8_t index,
                std::span<const uint8_t> data) {
    size_t start = out.size();
    size_t length = data.size() + itemPadding(data.size()) + kItemOverhead;
    out.push_back(type);
    out.push_back(index);
    out.push_back(static_cast<uint8_t>(length & 0xFF));
    out.push_back(static_cast<uint8_t>(length >> 8));
    out.insert(out.end(), data.begin(), data.end());
    out.resize(start + length - 2, 0);
    uint16_t crc = crc16(std::span<const uint8_t>(out).subspan(start, length - 2));
    out.push_back(static_cast<uint8_t>(crc & 0xFF));
    out.push_back(static_cast<uint8_t>(crc >> 8));
}

std::optional<ItemView> itemAt(std::span<const uint8_t> list, size_t offset) {
    if (offset > list.size() || list.size() - offset < kItemOverhead) return std::nullopt;
    const uint8_t* p = list.data() + offset;
    size_t length = le16(p + 2);
    if (length < kItemOverhead || length > list.size() - offset ||
        length - kItemOverhead > kItemScratchSize)
        return std::nullopt;
    ItemView v;
    v.type = p[0];
    v.index = p[1];
    v.offset = offset;
    v.length = length;
    v.body = list.subspan(offset + 4, length - kItemOverhead);
    return v;
}

bool itemCheckValid(std::span<const uint8_t> list, const ItemView& item) {
    auto bytes = list.subspan(item.offset, item.length);
    uint16_t stored = le16(bytes.data() + item.length - 2);
    return crc16(bytes.first(item.length - 2)) == stored;
}

bool parseItems(std::span<const uint8_t> payload, DiscoveredPrinter& record, ItemExtras* extras) {
    std::array<uint8_t, kItemScratchSize> area{};
    size_t offset = 0;
    while (offset < payload.size()) {
        auto item = itemAt(payload, offset);
        if (!item) {
            trace(kTraceBadItem);
            return false;
        }
        if (!itemCheckValid(payload, *item)) {
            trace(kTraceCrcFail);
            return false;
        }
        area.fill(0);
        std::copy(item->body.begin(), item->body.end(), area.begin());
        if (!storeItem(item->type, item->index, area, item->body.size(), record, extras)) {
            trace(kTraceBadItem);
            return false;
        }
        offset += item->length;
    }
    return true;
}

void deriveProductFlags(DiscoveredPrinter& r) {
    uint16_t p = r.productCode, s = r.subProductCode;
    if (p == 0x10 || s == 0x20 || s == 0x21) {
        r.slotCountA = r.slotCountB = 8;
        r.hasIoItems = true;
    } else if (p == 0x22 || s == 0x22) {
        r.slotCountA = r.slotCountB = 4;
        r.hasIoItems = true;
    } else if (p == 0x13) {
        r.hasBlock38 = true;
        r.hasIoItems = false;
    } else if (p == 0x15 || s == 0x27 || s == 0x28) {
        r.isWifiModule = true;
    } else {
        r.hasIoItems = r.hasBlock38 = r.isWifiModule = false;
    }
}

bool isIoProduct(const DiscoveredPrinter& r) {
    return r.productCode == 0x10 || r.subProductCode == 0x20 || r.subProductCode == 0x21 ||
           r.subProductCode == 0x22;
}

void applyVersionRules(DiscoveredPrinter& r, uint8_t h, uint8_t v1, uint8_t v2, uint8_t v3) {
    r.versionV1 = v1;
    r.versionV2V3 = static_cast<uint16_t>((v2 << 8) | v3);
    if (in(h, {16, 32, 33, 34}) && r.port64 == 0) r.port64 = 80;
    auto bit25 = [&](bool on) {
        if (on) r.optionFlags |= 1u << 25;
        else r.optionFlags &= ~((1u << 25) | (1u << 19) | (1u << 18));
    };
    if (in(h, {17, 18, 35, 36, 37})) bit25(v1 != 0 && v2 > 1);
    if (in(h, {20, 38})) bit25(v1 != 0 && v2 > 2);
    if (in(h, {16, 17, 18, 32, 33, 34, 35, 36, 37})) {
        bool on = v1 != 0 && (v2 > 2 || (v2 > 1 && v3 > 3));
        setBit18(r.ports[0].head, on);
        setBit18(r.ports[1].head, on);
    }
    if (in(h, {20, 38})) setBit18(r.ports[0].head, v1 != 0 && (v2 > 4 || (v2 > 3 && v3 != 0)));
}

void deriveWpaPsk(DiscoveredPrinter& r) {
    // The derivation takes milliseconds (4096 rounds); a fleet written with one profile
    // asks for the same key and SSID every time, so the last result is kept per thread.
    thread_local std::string lastKey, lastSsid;
    thread_local std::optional<WpaPsk> lastPsk;
    std::string key = r.wpaKeyText();
    std::string ssid = r.ssidText();
    if (!lastPsk || key != lastKey || ssid != lastSsid) {
        lastPsk = setrion::deriveWpaPsk(key, ssid);
        lastKey = key;
        lastSsid = ssid;
    }
    r.wpaPsk = *lastPsk;
}

void finishItemList(std::vector<uint8_t>& list) {
    if (list.size() % 256 == 0) appendItem(list, 0, 0, {});
}

std::vector<uint8_t> buildItems(DiscoveredPrinter& r) {
    uint16_t p = r.productCode, s = r.subProductCode;
    if ((p == 0x12 || s == 0x23) &&
        le32(r.ports[0].head.data() + 4) == le32(r.ports[0].head.data() + 8))
        putLe32(r.ports[1].head.data() + 8, 0);
    if (p == 0x15 || s == 0x27 || s == 0x28) {
        deriveWpaPsk(r);
        if (std::all_of(r.wifiTail.begin(), r.wifiTail.begin() + 14, [](uint8_t b) { return b == 0; }))
            std::fill_n(r.wifiTail.begin(), 14, uint8_t{'8'});
    }

    std::vector<uint8_t> out;
    out.reserve(1500);
    appendItem(out, 2, 1, bytes16(r.subProductCode));
    appendItem(out, 2, 0, bytes16(r.productCode));
    add(out, 3, 0, r.ipAddress);
    add(out, 3, 1, r.subnetMask);
    add(out, 3, 2, r.gateway);
    add(out, 3, 3, r.dnsServer);
    for (uint8_t n = 0; n < 4; ++n) {
        if (!r.ports[n].present) continue;
        add(out, 16, n, r.ports[n].head);
        add(out, 32, n, r.ports[n].block);
        add(out, 35, n, n <= 1 ? r.ports[n].text : std::array<uint8_t, 64>{});
    }
    appendItem(out, 5, 0, bytes32(r.optionFlags));
    add(out, 7, 0, r.text7);
    add(out, 33, 0, r.text33);
    add(out, 34, 0, r.text34);
    add(out, 8, 0, r.block8a);
    add(out, 8, 1, r.block8b);
    uint32_t optionIndex = (r.optionFlags >> 21) & 7;
    if (optionIndex <= 1) add(out, 35, 0x80, r.optionText);
    else if (optionIndex <= 3) add(out, 35, 0x81, r.optionText);
    add(out, 6, 0, r.password);
    add(out, 6, 1, r.block6b);
    if (r.hasIoItems) {
        appendItem(out, 64, 0, bytes16(r.port64));
        size_t countA = std::min<size_t>(r.slotCountA, 8), countB = std::min<size_t>(r.slotCountB, 8);
        for (size_t j = 0; j < countB; ++j) add(out, 36, static_cast<uint8_t>(j), r.macros[j]);
        add(out, 37, 0, r.ioBlock);
        add(out, 35, 2, r.ioText);
        for (size_t k = 0; k < countA; ++k) add(out, 7, static_cast<uint8_t>(k + 1), r.slotNamesA[k]);
        for (size_t k = 0; k < countB; ++k) add(out, 7, static_cast<uint8_t>(k + 9), r.slotNamesB[k]);
    }
    if (r.hasBlock38) {
        add(out, 38, 0, r.block38);
        add(out, 35, 3, r.text38);
    }
    add(out, 39, 0, r.block39);
    add(out, 40, 0, r.webBlock);
    if (r.isWifiModule) {
        appendItem(out, 9, 0, bytes32(r.wifiFlags));
        add(out, 9, 1, r.ssid);
        add(out, 9, 2, r.wep40Keys);
        add(out, 9, 3, r.wep104Keys);
        add(out, 9, 4, r.wpaPassphrase);
        add(out, 9, 5, r.wpaPsk);
        add(out, 9, 6, r.wifiTail);
    }
    finishItemList(out);
    return out;
}

}  // namespace setrion::net
