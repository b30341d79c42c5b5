#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "fake_socket.h"
#include "net_test_util.h"
#include "wifi/net/network_save.h"
#include "wifi/net/network_search.h"
#include "wifi/net/text_frame.h"

using namespace setrion;
using namespace setrion::net;
using namespace setrion::net::testing;

namespace {

std::vector<uint8_t> textAnswer(const std::string& mac12, const std::string& ssid) {
    wifi::WifiSettings r;
    r.setText(wifi::field::kMacAddress, mac12);
    r.setText(wifi::field::kSsid, ssid);
    std::vector<uint8_t> f(1024, 0);
    f[0] = 0x02;
    std::copy(r.bytes().begin(), r.bytes().end(), f.begin() + 1);
    f[1021] = 0x0D, f[1022] = 0x0A, f[1023] = 0x03;
    return f;
}

}  // namespace

TEST(NetworkSearch, ModulesInAscendingMacOrderThenTextPrinters) {
    ManualClock clock;
    FakeNetwork net(clock);
    FakeNetwork textNet(clock);  // the text socket's own port
    ItemBlockStore blocks;
    ManagementContext ctx;
    ctx.clock = &clock;
    ctx.openSocket = net.opener();
    ctx.blocks = &blocks;
    ctx.config.broadcast = 0x7FFFFFFF;
    const auto& key = ctx.config.protocolKey;
    textNet.onSend = [&](const SentDatagram&) {
        textNet.deliver(textAnswer("0200000000A1", "Text"), {0x7F000001, 61001});
    };
    net.onSend = [&](const SentDatagram& s) {
        if (s.bytes[6] == kCommandSearchAll && net.sent.size() == 2) {
            net.deliver(reply(key, {2, 0, 0, 0, 0, 2}, item(3, 0, {192, 168, 1, 20})), {0x7F000001, 50005});
            net.deliver(reply(key, {2, 0, 0, 0, 0, 1}, item(3, 0, {192, 168, 1, 21})), {0x7F000001, 50005});
        }
    };
    NetworkSearch search(ctx, textNet.opener());
    auto result = search.run();
    ASSERT_EQ(result.lines.size(), 3u);
    EXPECT_EQ(result.lines[0].macText, "02:00:00:00:00:01");
    EXPECT_EQ(result.lines[1].macText, "02:00:00:00:00:02");
    EXPECT_EQ(result.lines[2].macText, "02:00:00:00:00:A1");
    EXPECT_EQ(result.lines[2].kind, NetworkLine::Kind::Text);
    EXPECT_EQ(result.lines[2].index, 0u);
    EXPECT_EQ(textNet.sent.at(0).bytes, buildTextSearchFrame());
}

TEST(ModuleView, WpaTwoPskAesAndChannel) {
    DiscoveredPrinter r;
    r.wifiFlags = 1u | (6u << 4) | (4u << 16) | (2u << 19);
    auto v = describeModule(r);
    EXPECT_EQ(v.mode, "infrastructure");
    EXPECT_EQ(v.channel, 6);
    EXPECT_EQ(v.encryption, "WPA");
    EXPECT_EQ(v.wpaAuthentication, "WPA2-PSK");
    EXPECT_EQ(v.wpaEncryption, "AES");
    r.wifiFlags = (2u << 8) | (3u << 10) | (2u << 14);
    v = describeModule(r);
    EXPECT_EQ(v.encryption, "WEP128");
    EXPECT_EQ(v.keyInUse, 4);
    EXPECT_EQ(v.authentication, "Shared Key");
}

TEST(ModuleEdit, WifiFlagsAndDhcpAsTheSaveSetsThem) {
    DiscoveredPrinter r;
    r.wifiFlags = (1u << 8) | (4u << 16) | (2u << 19);
    NetworkEdit e;
    e.encryption = 4;  // 802.1x clears the WEP and WPA bits
    e.dhcp = true;
    ASSERT_EQ(applyModuleEdit(r, e), "");
    EXPECT_EQ(r.wifiFlags & ((3u << 8) | (0x1Fu << 16)), 0u);
    EXPECT_EQ(r.optionFlags & 0x28u, 0x28u);
    NetworkEdit wpa;
    wpa.encryption = 3;
    wpa.wpaAuthentication = 2;  // WPA2-PSK
    wpa.wpaEncryption = 2;      // AES
    wpa.mode = 1;
    wpa.channel = 11;
    ASSERT_EQ(applyModuleEdit(r, wpa), "");
    EXPECT_EQ(r.wifiFlags, 1u | (11u << 4) | (4u << 16) | (2u << 19));
    NetworkEdit tooLong;
    tooLong.wpaKey = std::string(65, 'k');
    EXPECT_EQ(applyModuleEdit(r, tooLong), "WPA Key Length is too long");
}

TEST(ModuleSave, RefusesAnUnusableAddressBeforeSending) {
    ManualClock clock;
    FakeNetwork net(clock);
    ItemBlockStore blocks;
    ManagementContext ctx;
    ctx.clock = &clock;
    ctx.openSocket = net.opener();
    ctx.blocks = &blocks;
    DiscoveredPrinter r;
    r.replyAddress = {192, 168, 1, 255};
    r.subnetMask = {255, 255, 255, 0};
    auto result = saveModule(ctx, r, {}, {});
    EXPECT_EQ(result.message, "Wrong Local IP address.");
    EXPECT_TRUE(net.sent.empty());
}

TEST(TextSave, ConfirmedByMacAndKeptInTheResultFile) {
    ManualClock clock;
    FakeNetwork net(clock);
    NetConfig config;
    wifi::WifiSettings source;
    source.setText(wifi::field::kMacAddress, "0200000000A1");
    net.onSend = [&](const SentDatagram& s) {
        if (carriesCommand(s.bytes, kTextSaveCommand))
            net.deliver(textAnswer("0200000000A1", "Hall"), {0x7F000001, 61001});
    };
    NetworkEdit e;
    e.ssid = "Hall";
    auto file = std::filesystem::temp_directory_path() / ("setrion-result-" + std::to_string(::getpid()));
    std::filesystem::remove(file);
#ifdef _WIN32
    auto result = saveTextRecord(config, clock, source, e, file, net.opener());
#else
    mode_t oldMask = ::umask(022);
    auto result = saveTextRecord(config, clock, source, e, file, net.opener());
    ::umask(oldMask);
    // It holds the WPA key in clear: its owner's alone (Windows has no mode bits to look at).
    EXPECT_EQ(std::filesystem::status(file).permissions(), std::filesystem::perms(0600));
#endif
    EXPECT_TRUE(result.confirmed);
    EXPECT_EQ(result.message, "Save Completed !!!");
    ASSERT_EQ(net.sent.size(), 1u);
    EXPECT_EQ(net.sent[0].bytes.size(), 1024u);
    EXPECT_EQ(std::string(net.sent[0].bytes.begin() + 22, net.sent[0].bytes.begin() + 28), "Hall\r\n");
    EXPECT_EQ(std::filesystem::file_size(file), 1013u);
    EXPECT_EQ(result.sent.text(wifi::field::kSsid), "Hall");
    std::filesystem::remove(file);
}

TEST(TextSave, AnswerWithAnotherMacEndsInSaveErrorAfterSevenSeconds) {
    ManualClock clock;
    FakeNetwork net(clock);
    NetConfig config;
    wifi::WifiSettings source;
    source.setText(wifi::field::kMacAddress, "0200000000A1");
    net.onSend = [&](const SentDatagram&) { net.deliver(textAnswer("0200000000B2", "X"), {0x7F000001, 61001}); };
    auto file = std::filesystem::temp_directory_path() / ("setrion-result-b-" + std::to_string(::getpid()));
    uint64_t start = clock.nowMs();
    auto result = saveTextRecord(config, clock, source, {}, file, net.opener());
    EXPECT_FALSE(result.confirmed);
    EXPECT_EQ(result.message, "Save Error !!!");
    EXPECT_GE(clock.nowMs() - start, 7000u);
    std::filesystem::remove(file);
}

TEST(TextSave, WpaKeyOver32IsRefused) {
    ManualClock clock;
    FakeNetwork net(clock);
    wifi::WifiSettings source;
    NetworkEdit e;
    e.encryption = 3;
    e.wpaKey = std::string(33, 'w');
    auto result = saveTextRecord({}, clock, source, e, "/nonexistent/x", net.opener());
    EXPECT_EQ(result.message, "WPA Key Length is not long");
    EXPECT_TRUE(net.sent.empty());
}

TEST(TextSave, AddressRuleAndResultFileNameTheirFault) {
    ManualClock clock;
    FakeNetwork net(clock);
    wifi::WifiSettings source;
    source.setAddress(wifi::field::kSubnet, {255, 255, 255, 0});
    for (uint32_t ip : {0x00000000u, 0xC0A801FFu, 0x7F000005u}) {
        NetworkEdit e;
        e.ip = ip;
        EXPECT_EQ(saveTextRecord({}, clock, source, e, "/nonexistent/x", net.opener()).message,
                  "Wrong Local IP address.");
    }
    EXPECT_TRUE(net.sent.empty());
    net.onSend = [&](const SentDatagram&) {};
    auto result = saveTextRecord({}, clock, source, {}, "/nonexistent/r.out", net.opener());
    EXPECT_EQ(result.message, "/nonexistent/r.out is not created !");
}
