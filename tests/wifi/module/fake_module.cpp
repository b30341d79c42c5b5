#include "tests/wifi/module/fake_module.h"

#include "common/hex.h"
#include "wifi/module/env_item.h"

namespace setrion::wifi::test {

FakeModule::FakeModule() {
    values[Parameter::IpAddress] = {192, 168, 1, 20};
    values[Parameter::SubnetMask] = {255, 255, 255, 0};
    values[Parameter::Gateway] = {192, 168, 1, 1};
    values[Parameter::Dns] = {8, 8, 4, 4};
    std::vector<uint8_t> ssid(32, 0);
    for (std::size_t i = 0; i < 6; ++i) ssid[i] = static_cast<uint8_t>("Office"[i]);
    values[Parameter::Ssid] = ssid;
    values[Parameter::WlanOptions] = {0x61, 0x40, 0x14, 0x00};
    values[Parameter::WepKeys40] = std::vector<uint8_t>(20, 0x11);
    values[Parameter::WepKeys104] = std::vector<uint8_t>(52, 0x22);
    std::vector<uint8_t> key(32, 0);
    for (std::size_t i = 0; i < 10; ++i) key[i] = static_cast<uint8_t>("passphrase"[i]);
    values[Parameter::WpaKey] = key;
    values[Parameter::WpaKeyExtended] = std::vector<uint8_t>(32, 0);
    values[Parameter::WpaPsk] = std::vector<uint8_t>(32, 0);
    values[Parameter::TcpActiveOptions] = {0x2A, 0x00, 0x02, 0x00};
    std::vector<uint8_t> port(20, 0x5A);
    port[8] = 0x8C;
    port[9] = 0x23;  // 9100
    values[Parameter::TcpIpPort] = port;
    info = {0, 0, 1, 6, 0, 0, 0, 0, 0x00, 0x30, 0xF9, 0x0A, 0xBC, 0xDE};
}

void FakeModule::attach(setrion::test::ScriptedLink& link) {
    link.setResponder([this](setrion::test::ScriptedLink& l, std::span<const uint8_t> d) {
        onWrite(l, d);
    });
}

std::string FakeModule::readReply(uint8_t type, uint8_t index, const std::vector<uint8_t>& value) {
    EnvItem item{type, index, value};
    return "701\r\n" + envItemRecordText(item.build()) + "\r\n";
}

void FakeModule::onWrite(setrion::test::ScriptedLink& link, std::span<const uint8_t> d) {
    if (d.size() == 4 && d[0] == 0x1B && d[1] == '[' && d[2] == 'M') {
        if (d[3] == 1) link.queueRead(banner);
        return;
    }
    if (d.size() < 4 || d[0] != 0x1B || d[1] != '[' || d[2] != 'D') return;
    std::string payload(d.begin() + 4, d.end());
    commands.push_back(payload);
    if (payload == "c 0\r") {
        if (!infoReply.empty()) {
            if (infoReply != "-") link.queueRead(infoReply);
            return;
        }
        std::string text = "701\r\n" + toHex(info, " ") + "00 00 \r\n";
        link.queueRead(text);
        return;
    }
    if (payload.rfind("u ", 0) == 0) {
        link.queueRead("701\r\n");
        return;
    }
    if (payload == "f b7d3\r") {
        if (!silentStore) link.queueRead("701\r\n");
        return;
    }
    if (payload.size() >= 8 && (payload[0] == 'r' || payload[0] == 'w')) {
        auto type = static_cast<uint8_t>(std::stoi(payload.substr(2, 2), nullptr, 16));
        auto index = static_cast<uint8_t>(std::stoi(payload.substr(5, 2), nullptr, 16));
        const ParameterInfo* p = parameterByCodes(type, index);
        if (!p) {
            link.queueRead("799\r\n");
            return;
        }
        if (payload[0] == 'r') {
            if (silentRead.count(p->id)) return;
            if (rejectRead.count(p->id)) {
                link.queueRead("702\r\n");
                return;
            }
            link.queueRead(readReply(type, index, values[p->id]));
        } else {
            if (silentWrite.count(p->id)) return;
            if (rejectWrite.count(p->id)) {
                link.queueRead("702\r\n");
                return;
            }
            auto item = decodeHexSkipping(payload.substr(8));
            values[p->id].assign(item.begin() + 4, item.begin() + 4 + static_cast<long>(p->valueLength));
            written.push_back(p->id);
            link.queueRead("701\r\n");
        }
    }
}

}  // namespace setrion::wifi::test
