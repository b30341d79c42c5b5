#include "gui/qt/demo_lan.h"

#include <gtest/gtest.h>

#include "gui/qt/net_options.h"
#include "tests/gui/qt_app.h"
#include "wifi/net/network_search.h"

namespace setrion::gui {
namespace {

TEST(NetOptionsTest, DefaultsAreTheRealLanAndEveryOptionIsRead) {
    test::app();
    const NetOptions options;
    auto parse = [&](QStringList args, net::NetConfig& c) {
        QCommandLineParser p;
        options.addTo(p);
        EXPECT_TRUE(p.parse(QStringList{"setrion"} + args)) << p.errorText().toStdString();
        return options.read(p, c);
    };
    net::NetConfig c;
    EXPECT_EQ(parse({}, c), QString());
    EXPECT_EQ(c.broadcast, 0xFFFFFFFFu);
    EXPECT_EQ(c.mgmtPort, 50005);
    EXPECT_EQ(c.mgmtLocalPort, 50005);
    EXPECT_EQ(c.textPort, 61001);
    EXPECT_EQ(c.textLocalPort, 61001);
    EXPECT_FALSE(c.allInterfaces);
    EXPECT_EQ(parse({"--broadcast", "127.255.255.255", "--mgmt-port", "41005", "--mgmt-local-port", "41006",
                     "--text-port", "41011", "--text-local-port", "41012", "--protocol-key",
                     "000102030405060708090A0B0C0D", "--all-interfaces"},
                    c),
              QString());
    EXPECT_EQ(c.broadcast, 0x7FFFFFFFu);
    EXPECT_EQ(c.mgmtPort, 41005);
    EXPECT_EQ(c.mgmtLocalPort, 41006);
    EXPECT_EQ(c.textPort, 41011);
    EXPECT_EQ(c.textLocalPort, 41012);
    EXPECT_EQ(c.protocolKey[13], 0x0D);
    EXPECT_TRUE(c.allInterfaces);
    EXPECT_EQ(parse({"--broadcast", "127.1"}, c), QString("--broadcast: not an IPv4 address: 127.1"));
    EXPECT_EQ(parse({"--text-port", "70000"}, c), QString("--text-port: not a port number: 70000"));
    EXPECT_EQ(parse({"--protocol-key", "12"}, c), QString("--protocol-key must be 28 hexadecimal digits"));
}

TEST(DemoLanTest, ServesMixedModulesAndATextPrinterOnLoopback) {
    test::app();
    DemoLan lan;
    ASSERT_EQ(lan.start(SETRION_BINARY_DIR "/sim/setrion-sim"), QString());
    const net::NetConfig& c = lan.config();
    EXPECT_EQ(c.broadcast, 0x7FFFFFFFu);
    EXPECT_NE(c.mgmtPort, c.mgmtLocalPort);
    EXPECT_NE(c.textPort, c.textLocalPort);

    net::ItemBlockStore blocks;
    net::ManagementContext ctx;
    ctx.config = c;
    ctx.blocks = &blocks;
    net::NetworkSearch search(ctx);
    auto found = search.run(1000);
    ASSERT_EQ(found.modules.size(), 3u);
    EXPECT_EQ(found.modules[0].versionV2V3, 0x0106);  // generation 2, WPA2-PSK
    EXPECT_EQ((found.modules[0].wifiFlags >> 16) & 7, 4u);
    EXPECT_EQ(found.modules[1].versionV2V3, 0x0103);  // generation 1, WEP64, password
    EXPECT_EQ((found.modules[1].wifiFlags >> 8) & 3, 1u);
    EXPECT_NE(found.modules[1].password[0], 0);
    EXPECT_EQ(found.modules[2].versionV2V3, 0x0210);  // generation 3, WPA-PSK
    EXPECT_EQ(found.textRecords.size(), 1u);
    lan.stop();
    EXPECT_FALSE(lan.running());
}

}  // namespace
}  // namespace setrion::gui
