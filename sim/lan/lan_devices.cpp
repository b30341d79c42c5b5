#include "sim/lan/lan_devices.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "common/crc16.h"
#include "common/device_text.h"
#include "common/hex.h"
#include "common/wpa_psk.h"
#include "wifi/net/env_items.h"
#include "wifi/net/management_header.h"
#include "wifi/net/text_frame.h"

namespace setrion::sim::lan {
namespace {

using namespace setrion::net;

std::vector<uint8_t> padded(std::vector<uint8_t> data) {
    data.resize(data.size() + itemPadding(data.size()), 0);
    return data;
}

std::vector<uint8_t> text(const std::string& s, size_t width) {
    std::vector<uint8_t> d(width, 0);
    std::copy_n(s.begin(), std::min(s.size(), width), d.begin());
    return d;
}

std::vector<uint8_t> le16(uint16_t v) {
    return {uint8_t(v & 0xFF), uint8_t(v >> 8)};
}
std::vector<uint8_t> le32(uint32_t v) {
    return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
}

std::string textOf(const std::vector<uint8_t>& body) {
    std::string s;
    for (uint8_t b : body) {
        if (b == 0) break;
        s.push_back(static_cast<char>(b));
    }
    return s;
}

}  // namespace

std::vector<uint8_t> SimModule::payload() const {
    std::vector<uint8_t> out;
    for (const auto& it : items) appendItem(out, it.type, it.index, it.body);
    return out;
}

const SimItem* SimModule::find(uint8_t type, uint8_t index) const {
    auto it = std::find_if(items.begin(), items.end(),
                           [&](const SimItem& s) { return s.type == type && s.index == index; });
    return it == items.end() ? nullptr : &*it;
}

void SimModule::put(uint8_t type, uint8_t index, std::vector<uint8_t> body) {
    body = padded(std::move(body));
    for (auto& it : items)
        if (it.type == type && it.index == index) {
            it.body = std::move(body);
            return;
        }
    items.push_back({type, index, std::move(body)});
}

nlohmann::json SimModule::state() const {
    auto get = [&](uint8_t t, uint8_t i) {
        auto* s = find(t, i);
        return s ? s->body : std::vector<uint8_t>{};
    };
    auto flags = get(9, 0);
    auto options = get(5, 0);
    auto ip = get(3, 0);
    nlohmann::json j;
    j["mac"] = formatMac(mac);
    j["ssid"] = textOf(get(9, 1));
    j["wpa_key"] = textOf(get(9, 4));
    auto psk = get(9, 5);
    psk.resize(std::min<size_t>(psk.size(), 32));
    j["wpa_psk"] = toHex(psk);
    j["ip"] = ip.size() >= 4 ? formatIpv4(Ipv4Octets{ip[0], ip[1], ip[2], ip[3]}) : "";
    j["wifi_flags"] =
        flags.size() >= 4 ? (flags[0] | flags[1] << 8 | flags[2] << 16 | flags[3] << 24) : 0;
    j["dhcp"] = options.size() >= 1 && (options[0] & 0x08) != 0;
    j["items"] = items.size();
    j["writes"] = writes;
    return j;
}

nlohmann::json SimTextPrinter::state() const {
    namespace f = wifi::field;
    return {{"mac", record.text(f::kMacAddress)},
            {"ssid", record.text(f::kSsid)},
            {"dhcp", record.choice(f::kDhcp) == 1},
            {"wpa_key", record.text(f::kWpaKey)},
            {"ip", wifi::dottedAddress(record.address(f::kIp))},
            {"saves", saves}};
}

SimModule makeModule(size_t i) {
    SimModule m;
    m.mac = {
        0x02, 0, 0, 0, static_cast<uint8_t>((i + 1) >> 8), static_cast<uint8_t>((i + 1) & 0xFF)};
    std::vector<uint8_t> macItem(m.mac.begin(), m.mac.end());
    macItem.resize(12, 0);
    std::string ssid = "SimNet-" + std::to_string(i + 1);
    std::string key = "simpass-" + std::to_string(i + 1);
    std::vector<uint8_t> portBlock(20, 0);
    portBlock[8] = 0x8C;  // local port 9100
    portBlock[9] = 0x23;
    uint32_t flags = 1u | (6u << 4) | (4u << 16) | (2u << 19);  // infrastructure, 6, WPA2-PSK, AES
    auto psk = deriveWpaPsk(key, ssid);
    std::vector<uint8_t> web(10, 0);
    web[0] = 80;
    m.put(1, 0, macItem);
    m.put(2, 1, le16(0));
    m.put(2, 0, le16(m.productCode));
    // 192.168.1.20 upward, on into 192.168.2.x past .255 (distinct for every module).
    size_t host = 20 + i;
    m.put(3, 0, {192, 168, static_cast<uint8_t>(1 + host / 256), static_cast<uint8_t>(host % 256)});
    m.put(3, 1, {255, 255, 255, 0});
    m.put(3, 2, {192, 168, 1, 1});
    m.put(3, 3, {192, 168, 1, 1});
    m.put(16, 0, std::vector<uint8_t>(12, 0));
    m.put(32, 0, portBlock);
    m.put(35, 0, std::vector<uint8_t>(64, 0));
    m.put(5, 0, le32(0));
    m.put(7, 0, text("sim module", 64));
    m.put(33, 0, std::vector<uint8_t>(6, 0));
    m.put(34, 0, std::vector<uint8_t>(8, 0));
    m.put(8, 0, std::vector<uint8_t>(48, 0));
    m.put(8, 1, std::vector<uint8_t>(48, 0));
    m.put(35, 0x80, std::vector<uint8_t>(64, 0));
    m.put(6, 0, text(i == 1 ? "secret" : "", 10));
    m.put(6, 1, std::vector<uint8_t>(10, 0));
    m.put(39, 0, std::vector<uint8_t>(12, 0));
    m.put(40, 0, web);
    m.put(9, 0, le32(flags));
    m.put(9, 1, text(ssid, 32));
    m.put(9, 2, std::vector<uint8_t>(20, 0));
    m.put(9, 3, std::vector<uint8_t>(52, 0));
    m.put(9, 4, text(key, 32));
    m.put(9, 5, std::vector<uint8_t>(psk.begin(), psk.end()));
    m.put(9, 6, text("88888888888888", 16));
    if (i == 2) m.put(45, 0, text("UNMODELLED-ITEM", 16));
    return m;
}

void varyModule(SimModule& m, size_t i) {
    if (i % 3 == 1) {
        m.versionV2 = 1;
        m.versionV3 = 3;
        m.put(9, 0,
              le32(1u | (11u << 4) | (1u << 8) | (1u << 14)));  // infrastructure, 11, WEP64, open
        m.put(9, 2, text("ABCDE12345abcde67890", 20));
    } else if (i % 3 == 2) {
        m.versionV2 = 2;
        m.versionV3 = 0x10;
        m.put(9, 0,
              le32(1u | (1u << 4) | (2u << 16) | (1u << 19)));  // infrastructure, 1, WPA-PSK, TKIP
        m.put(5, 0, le32(1u << 3));                             // DHCP
    }
}

// Text printers are 02:00:00:00:00:A1 and on; beside more than 160 modules, whose MACs
// reach there, they move to 02:00:00:00:FF:A1 and on so that every MAC stays unique.
SimTextPrinter makeTextPrinter(size_t j, size_t modules) {
    namespace f = wifi::field;
    SimTextPrinter p;
    auto& r = p.record;
    char mac[16];
    std::snprintf(mac, sizeof mac, "02000000%sA%zX", modules > 160 ? "FF" : "00", (j + 1) & 0xF);
    r.setText(f::kVersion, "V1");
    r.setText(f::kMacAddress, mac);
    r.setText(f::kSsid, "TextNet-" + std::to_string(j + 1));
    r.setChoice(f::kDhcp, 1);
    r.setAddress(f::kIp, {192, 168, 1, static_cast<uint8_t>(100 + j)});
    r.setAddress(f::kSubnet, {255, 255, 255, 0});
    r.setAddress(f::kGateway, {192, 168, 1, 1});
    r.setAddress(f::kDns, {192, 168, 1, 1});
    r.setChoice(f::kMode, 1);
    r.setChannel(11);
    r.setChoice(f::kEncryption, 3);
    r.setChoice(f::kAuthentication, 1);
    r.setChoice(f::kUseKey, 1);
    r.setChoice(f::kWpa, 2);
    r.setChoice(f::kWpaEnc, 1);
    r.setText(f::kWpaKey, "textpass");
    r.setTcpPort(9100);
    r.setChoice(f::kEapType, 0);
    r.setChoice(f::kLpdEnable, 0);
    return p;
}

SimTextPrinter makeHostileTextPrinter(size_t j) {
    namespace f = wifi::field;
    SimTextPrinter p = makeTextPrinter(j);
    std::string bytes;
    for (size_t k = 0; k < 8; ++k) bytes.push_back(static_cast<char>(8 * j + k));
    char tail[8];
    std::snprintf(tail, sizeof tail, "AA%02zX", j & 0xFF);
    p.record.setText(f::kMacAddress, bytes + tail);
    p.record.setText(f::kSsid, bytes);
    p.storesSaves = false;
    return p;
}

LanDevices::LanDevices(size_t modules, size_t printers, const ProtocolKeyPrefix& key) : m_key(key) {
    for (size_t i = 0; i < modules; ++i) m_modules.push_back(makeModule(i));
    for (size_t j = 0; j < printers; ++j) m_printers.push_back(makeTextPrinter(j, modules));
}

Datagram LanDevices::replyOf(const SimModule& m, uint8_t flags, uint8_t command,
                             uint8_t status) const {
    ManagementHeader h;
    h.flags = static_cast<uint8_t>(kFlagReply | (flags & kFlagDirected));
    h.command = command;
    h.status = status;
    h.mac = m.mac;
    h.productCode = static_cast<uint8_t>(m.productCode);
    h.versionV1 = 1;
    h.versionV2 = m.versionV2;
    h.versionV3 = m.versionV3;
    auto payload = m.payload();
    h.payloadCheck = crc16(payload);
    applyPayloadCipher(m_key, h.payloadCheck, payload);
    auto head = h.encode();
    Datagram d;
    d.bytes.resize(head.size() + payload.size());
    std::memcpy(d.bytes.data(), head.data(), head.size());
    if (!payload.empty()) std::memcpy(d.bytes.data() + head.size(), payload.data(), payload.size());
    return d;
}

uint8_t LanDevices::applyWrite(SimModule& m, std::span<const uint8_t> plain) {
    std::vector<SimItem> written;
    size_t offset = 0;
    while (offset < plain.size()) {
        auto it = itemAt(plain, offset);
        if (!it || !itemCheckValid(plain, *it)) return 9;
        if (it->type != 0)
            written.push_back({it->type, it->index, {it->body.begin(), it->body.end()}});
        offset += it->length;
    }
    const SimItem* stored = m.find(6, 0);
    bool hasPassword = stored && std::any_of(stored->body.begin(), stored->body.end(),
                                             [](uint8_t b) { return b; });
    if (hasPassword) {
        auto given = std::find_if(written.begin(), written.end(),
                                  [](auto& s) { return s.type == 6 && s.index == 0; });
        if (given == written.end() || given->body != stored->body) return kStatusPasswordMismatch;
    }
    for (const auto& s : written)
        if (s.type == 2 && s.index == 0 && s.body.size() >= 2 &&
            (s.body[0] | s.body[1] << 8) != m.productCode)
            return kStatusProductIdMismatch;
    for (auto& s : written) {
        if (s.type == 9 && s.index == 1 && s.body.size() > ssidKeeps)
            std::fill(s.body.begin() + static_cast<long>(ssidKeeps), s.body.end(), 0);
        m.put(s.type, s.index, std::move(s.body));
    }
    ++m.writes;
    m_changed = true;
    return kStatusSuccess;
}

std::vector<Datagram> LanDevices::onManagement(std::span<const uint8_t> d) {
    std::vector<Datagram> out;
    auto h = ManagementHeader::decode(d);
    if (!h || !h->hasMagic() || (h->flags & kFlagReply) || !(h->flags & kFlagRequest)) return out;
    if (h->command == kCommandSearchAll) {
        // Highest MAC first, so the program's ordering is what puts them in order.
        for (auto it = m_modules.rbegin(); it != m_modules.rend(); ++it) {
            out.push_back(replyOf(*it, h->flags, h->command, 0));
            out.back().delayMs = it->searchDelayMs;
        }
    } else if (h->command == kCommandSearchOne) {
        if (!m_modules.empty()) out.push_back(replyOf(m_modules.front(), h->flags, h->command, 0));
    } else if (h->command == kCommandWriteConfig) {
        for (auto& m : m_modules) {
            if (m.mac != h->mac) continue;
            if (!m.answerWrites) return out;
            std::vector<uint8_t> plain(d.begin() + kManagementHeaderSize, d.end());
            applyPayloadCipher(m_key, h->payloadCheck, plain);
            uint8_t status = crc16(plain) == h->payloadCheck ? applyWrite(m, plain) : 9;
            out.push_back(replyOf(m, h->flags, h->command, status));
        }
    }
    return out;
}

std::vector<Datagram> LanDevices::onText(std::span<const uint8_t> d) {
    std::vector<Datagram> out;
    if (d.size() < 6 || d[0] != 0x02) return out;
    auto answer = [](const wifi::WifiSettings& r) {
        Datagram a;
        a.bytes.assign(kTextFrameSize, 0);
        a.bytes[0] = 0x02;
        std::copy(r.bytes().begin(), r.bytes().end(), a.bytes.begin() + 1);
        a.bytes[1021] = 0x0D;
        a.bytes[1022] = 0x0A;
        a.bytes[1023] = 0x03;
        return a;
    };
    if (carriesCommand(d, kTextSearchCommand)) {
        for (const auto& p : m_printers) out.push_back(answer(p.record));
    } else if (carriesCommand(d, kTextSaveCommand) && d.size() >= kTextFrameSize) {
        auto record = wifi::WifiSettings::fromBytes(d.subspan(8, wifi::kWifiSettingsSize));
        if (!record) return out;
        for (auto& p : m_printers) {
            if (p.record.text(wifi::field::kMacAddress) != record->text(wifi::field::kMacAddress))
                continue;
            ++p.saves;
            m_changed = true;
            if (!p.storesSaves) {
                out.push_back(answer(p.record));
                continue;
            }
            p.record = *record;
            if (std::string ssid = record->text(wifi::field::kSsid); ssid.size() > ssidKeeps)
                p.record.setText(wifi::field::kSsid, ssid.substr(0, ssidKeeps));
            out.push_back(answer(p.record));
        }
    }
    return out;
}

nlohmann::json LanDevices::state() const {
    nlohmann::json j;
    j["modules"] = nlohmann::json::array();
    for (const auto& m : m_modules) j["modules"].push_back(m.state());
    j["text_printers"] = nlohmann::json::array();
    for (const auto& p : m_printers) j["text_printers"].push_back(p.state());
    // Written keys and SSIDs are bytes: kept as the CLI's JSON keeps device texts.
    applyDeviceTextRuleDeep(j);
    return j;
}

}  // namespace setrion::sim::lan
