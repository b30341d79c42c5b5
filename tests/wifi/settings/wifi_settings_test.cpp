#include "wifi/settings/wifi_settings.h"

#include <gtest/gtest.h>

#include <string>

#include "wifi/settings/choice_codes.h"

namespace setrion::wifi {
namespace {

std::string at(const WifiSettings& s, std::size_t offset, std::size_t len) {
    return std::string(s.bytes().begin() + static_cast<long>(offset),
                       s.bytes().begin() + static_cast<long>(offset + len));
}

TEST(WifiSettingsLayout, FieldsTileTheRecordWithoutGapsOrOverlap) {
    const RecordField all[] = {
        field::kVersion, field::kMacAddress, field::kSsid, field::kDhcp, field::kIp,
        field::kSubnet, field::kGateway, field::kDns, field::kMode, field::kChannel,
        field::kEncryption, field::kAuthentication, field::kUseKey, field::kKey1, field::kKey2,
        field::kKey3, field::kKey4, field::kWpa, field::kWpaEnc, field::kWpaKey,
        field::kTcpPort, field::kReserved1, field::kEapType, field::kEapId,
        field::kEapPassword, field::kCaCertFile, field::kClientCertFile,
        field::kPrivateKeyFile, field::kEapFastProvisioning, field::kEapFastServers,
        field::kLpdEnable, field::kLpdQueue, field::kChannelText, field::kReserved2};
    std::size_t next = 0;
    for (const auto& f : all) {
        EXPECT_EQ(f.offset, next);
        next = f.offset + f.length;
    }
    EXPECT_EQ(next, 1013u);
    EXPECT_EQ(kWifiSettingsSize, 1013u);
    // Offsets named by the document for the fields other code reaches directly.
    EXPECT_EQ(field::kKey1.offset, 87);
    EXPECT_EQ(field::kKey2.offset, 113);
    EXPECT_EQ(field::kKey3.offset, 139);
    EXPECT_EQ(field::kKey4.offset, 165);
    EXPECT_EQ(field::kWpaKey.offset, 193);
    EXPECT_EQ(field::kWpaKey.length, 64);
    EXPECT_EQ(field::kLpdQueue.offset, 636);
    EXPECT_EQ(field::kChannelText.offset, 670);
}

TEST(WifiSettingsText, SsidOf32CharactersEndsWithCrLfAt46And47AndLeavesDhcp) {
    WifiSettings s;
    s.bytes()[48] = '1';
    ASSERT_TRUE(s.setText(field::kSsid, std::string(32, 'S')));
    EXPECT_EQ(at(s, 14, 32), std::string(32, 'S'));
    EXPECT_EQ(s.bytes()[46], 0x0D);
    EXPECT_EQ(s.bytes()[47], 0x0A);
    EXPECT_EQ(s.bytes()[48], '1');
    EXPECT_FALSE(s.setText(field::kSsid, std::string(33, 'S')));
    EXPECT_EQ(s.text(field::kSsid), std::string(32, 'S'));
}

TEST(WifiSettingsText, ValueEndsAtCrLfSpacesInsideKept) {
    WifiSettings s;
    ASSERT_TRUE(s.overwriteStart(field::kSsid, "Office AP\r\n"));
    EXPECT_EQ(s.text(field::kSsid), "Office AP");
    ASSERT_TRUE(s.setText(field::kSsid, "Lab"));
    EXPECT_EQ(at(s, 14, 6), "Lab\r\n ");
    EXPECT_EQ(s.text(field::kSsid), "Lab");
}

// One reading rule for every text field: what the writer puts is read back whole, and a
// field filled by hand (a device's bytes, an INI-loaded table of spaces) ends at its padding.
TEST(WifiSettingsText, EveryTextFieldReadsBackWhatWasWritten) {
    struct Field {
        const char* name;
        RecordField f;
    };
    const Field fields[] = {
        {"Version", field::kVersion},       {"MacAddress", field::kMacAddress},
        {"SSID", field::kSsid},             {"KEY1", field::kKey1},
        {"KEY4", field::kKey4},             {"WPAKEY", field::kWpaKey},
        {"EAPID", field::kEapId},           {"EAPPASSWORD", field::kEapPassword},
        {"CACERT", field::kCaCertFile},     {"CLIENTCERT", field::kClientCertFile},
        {"PRIVATEKEY", field::kPrivateKeyFile}, {"LPDQUEUE", field::kLpdQueue},
        {"CHANNELTEXT", field::kChannelText},
    };
    auto raw = [](const RecordField& f, std::string bytes, char pad) {
        WifiSettings s;
        bytes.resize(f.length, pad);
        s.overwriteStart(f, bytes);
        return s.text(f);
    };
    for (const Field& fd : fields) {
        const RecordField& f = fd.f;
        SCOPED_TRACE(fd.name);
        WifiSettings s;
        const std::string inside = f.capacity() >= 3 ? "a b" : "ab";
        ASSERT_TRUE(s.setText(f, inside));
        EXPECT_EQ(s.text(f), inside) << "space inside";
        // A trailing space survives where the padding is not a space.
        ASSERT_TRUE(s.setText(f, "a "));
        EXPECT_EQ(s.text(f), (f.crlf || f.padding == 0) ? "a " : "a") << "space at the end";
        ASSERT_TRUE(s.setText(f, std::string(f.capacity(), 'x')));
        EXPECT_EQ(s.text(f), std::string(f.capacity(), 'x')) << "full width";
        EXPECT_EQ(raw(f, std::string(f.length, 'y'), ' '), std::string(f.length, 'y')) << "no padding";
        EXPECT_EQ(raw(f, "a", '\0'), "a") << "NUL padding";
        EXPECT_EQ(raw(f, "a", ' '), "a") << "space padding";
        if (f.length >= 6) {
            EXPECT_EQ(raw(f, "a b  ", '\0'), "a b  ") << "spaces before NUL padding";
            EXPECT_EQ(raw(f, "a b  ", ' '), "a b") << "space padding after a spaced text";
        }
        if (f.crlf) {
            EXPECT_EQ(raw(f, "a b \r\n", ' '), "a b ") << "CR LF";
        }
    }
}

TEST(WifiSettingsText, PaddingBytePerField) {
    WifiSettings s;
    ASSERT_TRUE(s.setText(field::kWpaKey, "12345678"));
    EXPECT_EQ(at(s, 193, 8), "12345678");
    for (std::size_t i = 201; i < 257; ++i) EXPECT_EQ(s.bytes()[i], 0x00) << i;
    EXPECT_EQ(s.bytes()[257], ' ');  // TCPPORT untouched
    EXPECT_TRUE(s.setText(field::kWpaKey, std::string(64, 'k')));  // no CR LF: all 64 bytes

    ASSERT_TRUE(s.setText(field::kLpdQueue, "queue1"));
    EXPECT_EQ(at(s, 636, 8), std::string("queue1\r\n"));
    EXPECT_EQ(s.bytes()[644], 0x00);
    EXPECT_TRUE(s.hasLpdSupport());
    s.bytes()[636] = ' ';
    EXPECT_FALSE(s.hasLpdSupport());

    ASSERT_TRUE(s.setText(field::kEapId, std::string(64, 'i')));
    EXPECT_EQ(s.bytes()[367], '\r');
    EXPECT_EQ(s.bytes()[368], '\n');
}

TEST(WifiSettingsCodes, ChoiceDigitsAddressesAndPort) {
    WifiSettings s;
    EXPECT_EQ(s.choice(field::kMode), -1);  // a space is no code
    ASSERT_TRUE(s.setChoice(field::kEncryption, 3));
    EXPECT_EQ(s.bytes()[84], '3');
    EXPECT_EQ(s.choice(field::kEncryption), 3);
    EXPECT_FALSE(s.setChoice(field::kEncryption, 10));

    s.setAddress(field::kIp, {192, 168, 0, 10});
    EXPECT_EQ(at(s, 49, 8), "C0A8000A");
    s.overwriteStart(field::kGateway, "0a0B0c0D");
    EXPECT_EQ(s.address(field::kGateway), (Octets{10, 11, 12, 13}));

    s.setTcpPort(9100);
    EXPECT_EQ(at(s, 257, 4), "238C");
    EXPECT_EQ(s.tcpPort(), 9100);
    s.setTcpPort(65535);
    EXPECT_EQ(at(s, 257, 4), "FFFF");

    ASSERT_TRUE(s.setChannel(6));
    EXPECT_EQ(at(s, 82, 2), "06");
    EXPECT_EQ(s.channel(), 6);
    s.overwriteStart(field::kChannelText, "149");
    EXPECT_EQ(s.channelTextNumber(), 149);
    s.overwriteStart(field::kChannelText, "11 ");
    EXPECT_EQ(s.channelTextNumber(), 11);
    ASSERT_TRUE(s.setEapFastServers(7));
    EXPECT_EQ(at(s, 632, 3), "007");
}

TEST(WifiSettingsCodes, DecodeAddressParsesPairsLikeStrtol) {
    EXPECT_EQ(decodeAddress("C0A8000A"), (Octets{192, 168, 0, 10}));
    EXPECT_EQ(decodeAddress("A     FF"), (Octets{10, 0, 0, 255}));
    EXPECT_EQ(decodeAddress("        "), (Octets{0, 0, 0, 0}));
    EXPECT_EQ(decodeAddress("C0"), (Octets{192, 0, 0, 0}));
}

TEST(WifiSettingsCodes, DottedAddresses) {
    EXPECT_EQ(dottedAddress({192, 168, 0, 10}), "192.168.0.10");
    EXPECT_EQ(parseDottedAddress("10.0.0.254"), (Octets{10, 0, 0, 254}));
    EXPECT_FALSE(parseDottedAddress("10.0.0"));
    EXPECT_FALSE(parseDottedAddress("10.0.0.256"));
    EXPECT_FALSE(parseDottedAddress("10.0.0.1.2"));
    EXPECT_FALSE(parseDottedAddress("10..0.1"));
    EXPECT_FALSE(parseDottedAddress("a.b.c.d"));
}

TEST(WifiSettingsKeys, AsciiKeyToHexAndBack) {
    EXPECT_EQ(asciiKeyToHex("abc"), "616263");
    WifiSettings s;
    s.fill(field::kKey1, 'x');
    ASSERT_TRUE(s.overwriteStart(field::kKey1, asciiKeyToHex("Ab1!z")));
    EXPECT_EQ(at(s, 87, 10), "416231217A");
    EXPECT_EQ(at(s, 97, 16), std::string(16, 'x'));  // bytes after the key stay
    EXPECT_EQ(hexKeyToAscii("4162312-17a"), "Ab1!z");
}

TEST(WifiSettingsRecord, FromBytesRequiresExactSizeAndKeepsUninterpretedBlocks) {
    std::vector<uint8_t> raw(1013);
    for (std::size_t i = 0; i < raw.size(); ++i) raw[i] = static_cast<uint8_t>(i * 7);
    auto s = WifiSettings::fromBytes(raw);
    ASSERT_TRUE(s);
    s->setText(field::kSsid, "Net");
    s->setAddress(field::kIp, {1, 2, 3, 4});
    s->setTcpPort(80);
    for (std::size_t i = 0; i < 2; ++i) EXPECT_EQ(s->bytes()[i], raw[i]);
    for (std::size_t i = 261; i < 302; ++i) EXPECT_EQ(s->bytes()[i], raw[i]);
    for (std::size_t i = 673; i < 1013; ++i) EXPECT_EQ(s->bytes()[i], raw[i]);
    EXPECT_FALSE(WifiSettings::fromBytes(std::span(raw).first(1012)));
}

TEST(WifiChoiceTexts, ListsInCodeOrder) {
    EXPECT_EQ(choiceIndex(kEncryptionTexts, "802.1x"), 4);
    EXPECT_EQ(choiceIndex(kAuthenticationTexts, "Open System"), 1);
    EXPECT_EQ(choiceIndex(kWpaTexts, "WPA2-PSK"), 2);
    EXPECT_EQ(choiceText(kWpaEncTexts, 1), "AES");
    EXPECT_EQ(choiceText(kModeTexts, 2), "");
    EXPECT_EQ(k5GhzChannelTexts.front(), "36");
    EXPECT_EQ(k5GhzChannelTexts[22], "149");
    EXPECT_EQ(k5GhzChannelTexts.back(), "196");
}

}  // namespace
}  // namespace setrion::wifi
