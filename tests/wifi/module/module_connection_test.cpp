#include "wifi/module/module_connection.h"

#include <gtest/gtest.h>

#include "common/trace.h"
#include "tests/support/scripted_link.h"
#include "tests/wifi/module/fake_module.h"
#include "wifi/module/factory_reset.h"

namespace setrion::wifi {
namespace {

using setrion::test::bytes;
using setrion::test::text;

class Connection : public ::testing::Test {
protected:
    setrion::test::ScriptedLink serial, usb;
    LinkPair links{&serial, &usb, LinkKind::None};
    ManualClock clock;
    ModuleConnection conn{links, clock};
    test::FakeModule module;
    std::function<bool(LinkKind)> opener = [this](LinkKind k) {
        (k == LinkKind::Usb ? usb : serial).setOpen(true);
        return true;
    };

    void SetUp() override { module.attach(serial); }
};

TEST(ModuleGeneration, FromInformationBytes) {
    EXPECT_EQ(moduleGenerationFromInfo(1, 5), 1);
    EXPECT_EQ(moduleGenerationFromInfo(1, 6), 2);
    EXPECT_EQ(moduleGenerationFromInfo(2, 0), 3);
    EXPECT_EQ(moduleGenerationFromInfo(2, 9), 3);
    EXPECT_EQ(moduleGenerationFromInfo(0, 9), 1);
}

TEST_F(Connection, OpenPortEntersCommandModeAndReadsGeneration) {
    module.info[2] = 2;
    ASSERT_EQ(conn.openPort(LinkKind::Serial, opener), OpenPortResult::Ok);
    EXPECT_TRUE(conn.portOpen());
    EXPECT_EQ(conn.linkKind(), LinkKind::Serial);
    EXPECT_EQ(conn.moduleKind(), ModuleKind::CommandMode);
    EXPECT_EQ(conn.moduleGeneration(), 3);
    ASSERT_EQ(serial.writes().size(), 2u);
    EXPECT_EQ(serial.writes()[0], (std::vector<uint8_t>{0x1B, '[', 'M', 0x01}));
    EXPECT_EQ(text(serial.writes()[1]), "\x1b[D\x04" "c 0\r");
    EXPECT_EQ(clock.sleptMs(), 500u + 200u);  // settle, then the "c 0" pause
}

TEST_F(Connection, GenerationOneAndTwoFromInfo) {
    module.info[2] = 1;
    module.info[3] = 5;
    conn.openPort(LinkKind::Serial, opener);
    EXPECT_EQ(conn.moduleGeneration(), 1);
    conn.closePort();
    module.info[3] = 6;
    conn.openPort(LinkKind::Serial, opener);
    EXPECT_EQ(conn.moduleGeneration(), 2);
}

TEST_F(Connection, BannerWithoutVendorMarkIsASettingsBlockModule) {
    module.banner = "BLOCK MODULE READY\r\n";
    ASSERT_EQ(conn.openPort(LinkKind::Serial, opener), OpenPortResult::Ok);
    EXPECT_TRUE(conn.portOpen());
    EXPECT_EQ(conn.moduleKind(), ModuleKind::SettingsBlock);
    EXPECT_EQ(serial.writes().size(), 1u);  // no module information exchange
}

TEST_F(Connection, NoBannerClosesTheLink) {
    module.banner.clear();
    serial.setResponder({});
    EXPECT_EQ(conn.openPort(LinkKind::Serial, opener), OpenPortResult::NoBanner);
    EXPECT_FALSE(conn.portOpen());
    EXPECT_EQ(conn.linkKind(), LinkKind::None);
    EXPECT_EQ(serial.closes(), 1);
    EXPECT_EQ(std::string(kIspModeSetFailedText), "ISP Mode Set Failed");
}

TEST_F(Connection, OpenFailureSendsNothing) {
    EXPECT_EQ(conn.openPort(LinkKind::Serial, [](LinkKind) { return false; }),
              OpenPortResult::OpenFailed);
    EXPECT_EQ(conn.linkKind(), LinkKind::None);
    EXPECT_TRUE(serial.writes().empty());
    EXPECT_EQ(std::string(kOpenPortFailedText), "Open Port Failed !!!");
}

TEST_F(Connection, SilentInformationKeepsGeneration) {
    module.info[2] = 2;
    conn.openPort(LinkKind::Serial, opener);
    conn.closePort();
    serial.setResponder([](setrion::test::ScriptedLink& l, std::span<const uint8_t> d) {
        if (d.size() == 4 && d[2] == 'M' && d[3] == 1) l.queueRead("Sollae\r\n");
    });
    conn.openPort(LinkKind::Serial, opener);
    EXPECT_EQ(conn.moduleGeneration(), 3);
}

TEST_F(Connection, CloseLeavesCommandModeWith500MsOnCom) {
    conn.openPort(LinkKind::Serial, opener);
    serial.clearWrites();
    uint64_t before = clock.sleptMs();
    conn.closePort();
    ASSERT_EQ(serial.writes().size(), 1u);
    EXPECT_EQ(serial.writes()[0], (std::vector<uint8_t>{0x1B, '[', 'M', 0x00}));
    EXPECT_EQ(clock.sleptMs() - before, 500u);
    EXPECT_FALSE(conn.portOpen());
    serial.clearWrites();
    conn.closePort();  // not open: nothing sent
    EXPECT_TRUE(serial.writes().empty());
}

TEST_F(Connection, UsbRoutesToTheUsbLink) {
    module.attach(usb);
    ASSERT_EQ(conn.openPort(LinkKind::Usb, opener), OpenPortResult::Ok);
    EXPECT_TRUE(serial.writes().empty());
    EXPECT_EQ(usb.writes().size(), 2u);
}

TEST_F(Connection, WepKeys104WriteSendsPayloadOf188) {
    conn.openPort(LinkKind::Serial, opener);
    serial.clearWrites();
    auto reply = conn.writeParameter(Parameter::WepKeys104, std::vector<uint8_t>(52, 0xAB));
    EXPECT_EQ(text(reply), "701\r\n");
    ASSERT_EQ(serial.writes().size(), 1u);
    const auto& w = serial.writes()[0];
    ASSERT_EQ(w.size(), 4u + 188u);
    EXPECT_EQ(w[3], 188);
    EXPECT_EQ(text(std::span(w).subspan(4, 14)), "w 09 03 09 03 ");
    EXPECT_EQ(text(std::span(w).subspan(18, 6)), "3C 00 ");
}

TEST_F(Connection, ParameterReadAndWritePauses) {
    conn.openPort(LinkKind::Serial, opener);
    uint64_t t0 = clock.sleptMs();
    auto r = conn.readParameter(Parameter::IpAddress);
    EXPECT_EQ(text(r).substr(0, 35), "701\r\n03 00 0C 00 C0 A8 01 14 00 00 ");
    EXPECT_EQ(clock.sleptMs() - t0, 200u);
    t0 = clock.sleptMs();
    conn.writeParameter(Parameter::IpAddress, std::vector<uint8_t>{10, 0, 0, 1});
    EXPECT_EQ(clock.sleptMs() - t0, 1000u);
    EXPECT_EQ(module.values[Parameter::IpAddress], (std::vector<uint8_t>{10, 0, 0, 1}));
}

TEST_F(Connection, FactoryResetAnswered) {
    conn.openPort(LinkKind::Serial, opener);
    std::vector<std::string> traces;
    auto old = setTraceSink([&](std::string_view l) { traces.emplace_back(l); });
    serial.clearWrites();
    serial.setResponder([](setrion::test::ScriptedLink& l, std::span<const uint8_t> d) {
        if (d.size() > 4 && d[2] == 'D') l.queueRead("ERROR 12\r\n");
    });
    auto r = resetModuleSequence(conn);
    setTraceSink(old);
    EXPECT_TRUE(r.ok);  // the answer is not judged
    EXPECT_EQ(r.message, "Printer is reset to factory settings.");
    EXPECT_EQ(r.caption, "Factory settting completed");
    EXPECT_EQ(text(serial.writes()[0]), "\x1b[D\x1e" "u d1e7 6c8e\re 4\rl e26d\rf b7d3\r");
    EXPECT_EQ(serial.writes()[1], (std::vector<uint8_t>{0x1B, '[', 'M', 0x00}));
    EXPECT_FALSE(conn.portOpen());
    ASSERT_FALSE(traces.empty());
    EXPECT_EQ(traces[0], "Received size=10 [ERROR 12\r\n]");
}

TEST_F(Connection, FactoryResetWithoutLineEndFails) {
    conn.openPort(LinkKind::Serial, opener);
    serial.setResponder([](setrion::test::ScriptedLink& l, std::span<const uint8_t> d) {
        if (d.size() > 4 && d[2] == 'D') l.queueRead("OK");
    });
    uint64_t t0 = clock.sleptMs();
    auto r = resetModuleSequence(conn);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, "Fail to factory settings");
    EXPECT_EQ(r.caption, "");
    EXPECT_TRUE(conn.portOpen());  // the connection stays open
    EXPECT_EQ(clock.sleptMs() - t0, 200u + 1500u);
}

TEST(FactoryReset, OfferedOnlyOnCommandModeModulesOfGenerationTwoAndThree) {
    EXPECT_FALSE(factoryResetOffered(ModuleKind::CommandMode, 1));
    EXPECT_TRUE(factoryResetOffered(ModuleKind::CommandMode, 2));
    EXPECT_TRUE(factoryResetOffered(ModuleKind::CommandMode, 3));
    EXPECT_FALSE(factoryResetOffered(ModuleKind::SettingsBlock, 1));
    EXPECT_FALSE(factoryResetOffered(ModuleKind::SettingsBlock, 2));
    EXPECT_FALSE(factoryResetOffered(ModuleKind::SettingsBlock, 3));
}

TEST_F(Connection, ResetOfferIsDecidedByTheInformationReadAtOpenPort) {
    module.info[2] = 1;
    module.info[3] = 5;  // generation 1
    conn.openPort(LinkKind::Serial, opener);
    EXPECT_FALSE(factoryResetOffered(conn.moduleKind(), conn.moduleGeneration()));
    conn.closePort();
    module.info[3] = 6;  // generation 2
    conn.openPort(LinkKind::Serial, opener);
    EXPECT_TRUE(factoryResetOffered(conn.moduleKind(), conn.moduleGeneration()));
    conn.closePort();
    module.banner = "ezTCP\r\n";  // no vendor mark: a settings-block module
    conn.openPort(LinkKind::Serial, opener);
    EXPECT_FALSE(factoryResetOffered(conn.moduleKind(), conn.moduleGeneration()));
}

}  // namespace
}  // namespace setrion::wifi
