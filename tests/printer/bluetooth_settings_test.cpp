#include <gtest/gtest.h>

#include "printer/bluetooth_settings.h"
#include "tests/printer/printer_fixture.h"

using namespace setrion;
using namespace setrion::test;

TEST(BluetoothCommands, PinnedBytes) {
    EXPECT_EQ(bluetoothAddressQuery(), hexBytes({0x1B, 0x62, 0x74, 0x01, 0x0E}));
    EXPECT_EQ(bluetoothDiscoverableQuery(), hexBytes({0x1B, 0x62, 0x74, 0x01, 0x56}));
    EXPECT_EQ(bluetoothDiscoverableCommand(true), hexBytes({0x1B, 0x62, 0x74, 0x01, 0x05}));
    EXPECT_EQ(bluetoothDiscoverableCommand(false), hexBytes({0x1B, 0x62, 0x74, 0x01, 0x06}));
    EXPECT_EQ(*bluetoothPinCommand("1234"),
              hexBytes({0x1B, 0x62, 0x74, 0x05, 0x90, '1', '2', '3', '4'}));
    EXPECT_EQ(bluetoothPinCommand("0123456789")->size(), 15u);
    EXPECT_EQ((*bluetoothPinCommand("0123456789"))[3], 0x0B);
}

TEST(BluetoothCommands, UnsafeOrOversizedPinsAreRefused) {
    EXPECT_FALSE(bluetoothPinCommand(""));
    EXPECT_FALSE(bluetoothPinCommand("01234567890"));
    EXPECT_FALSE(bluetoothPinCommand("12\"34"));
    EXPECT_FALSE(bluetoothPinCommand("12\r\n"));
    PrinterFixture p;
    EmulationCode e = EmulationCode::Cpcl;
    EXPECT_EQ(saveBluetoothPin(p.exchange, e, "a\" \"b"), kSettingRefused);
    EXPECT_TRUE(p.link.writes().empty());
}

TEST(SaveBluetoothPin, ByEmulation) {
    PrinterFixture p;
    EmulationCode e = EmulationCode::Cpcl;
    p.probeAnswer = "1";
    EXPECT_EQ(saveBluetoothPin(p.exchange, e, "1234"), kProbeOk);
    EXPECT_EQ(p.link.writes().back(), hexBytes({0x1B, 0x62, 0x74, 0x05, 0x90, '1', '2', '3', '4'}));
    p.link.clearWrites();
    p.probeAnswer = "2";  // MPCL shares the byte commands
    EXPECT_EQ(saveBluetoothPin(p.exchange, e, "99"), kProbeOk);
    EXPECT_EQ(p.link.writes().back(), hexBytes({0x1B, 0x62, 0x74, 0x03, 0x90, '9', '9'}));
    p.link.clearWrites();
    p.probeAnswer = "0";
    EXPECT_EQ(saveBluetoothPin(p.exchange, e, "0123456789"), kProbeOk);
    EXPECT_EQ(p.writesAfterProbe(),
              std::vector<std::string>{"! U1 setvar \"bluetooth.bluetooth_pin\" \"0123456789\"\r\n"});
    p.link.clearWrites();
    p.probeAnswer = "4";
    EXPECT_EQ(saveBluetoothPin(p.exchange, e, "1234"), kProbeOk);
    EXPECT_TRUE(p.writesAfterProbe().empty());
}

TEST(SaveDiscoverable, ByEmulation) {
    PrinterFixture p;
    EmulationCode e = EmulationCode::Cpcl;
    p.probeAnswer = "0";
    saveDiscoverable(p.exchange, e, true);
    saveDiscoverable(p.exchange, e, false);
    EXPECT_EQ(text(p.link.writes()[1]), "! U1 setvar \"bluetooth.discoverable\" \"on\"\r\n");
    EXPECT_EQ(text(p.link.writes()[3]), "! U1 setvar \"bluetooth.discoverable\" \"off\"\r\n");
    p.link.clearWrites();
    p.probeAnswer = "1";
    saveDiscoverable(p.exchange, e, false);
    EXPECT_EQ(p.link.writes().back(), hexBytes({0x1B, 0x62, 0x74, 0x01, 0x06}));
    p.link.clearWrites();
    p.probeAnswer = "";
    EXPECT_EQ(saveDiscoverable(p.exchange, e, true), kProbeNoResponse);
    EXPECT_EQ(p.link.writes().size(), 1u);
}

TEST(GetBluetoothInfo, CpclStripsQuotesAndReadsOnOff) {
    PrinterFixture p;
    p.probeAnswer = "0";
    p.answers = {{"! U1 getvar \"bluetooth.address\"", "\"00:1A:\"2B\":3C\""},
                 {"! U1 getvar \"bluetooth.discoverable\"", "\"off\""}};
    EmulationCode e = EmulationCode::EscPos;
    auto info = getBluetoothInfo(p.exchange, e);
    EXPECT_EQ(info.result, kProbeOk);
    EXPECT_TRUE(info.queried);
    EXPECT_EQ(info.address, "00:1A:\"2B\":3C");
    EXPECT_FALSE(info.discoverable);
    EXPECT_EQ(p.writesAfterProbe(), (std::vector<std::string>{"! U1 getvar \"bluetooth.address\"\r\n",
                                                              "! U1 getvar \"bluetooth.discoverable\"\r\n"}));
}

TEST(GetBluetoothInfo, EscPosUsesByteQueries) {
    PrinterFixture p;
    p.probeAnswer = "1";
    p.answers = {{"\x1B" "bt\x01\x0E", "00:11:22:33:44:55"}, {"\x1B" "bt\x01V", "on"}};
    EmulationCode e = EmulationCode::Cpcl;
    auto info = getBluetoothInfo(p.exchange, e);
    EXPECT_EQ(info.address, "00:11:22:33:44:55");
    EXPECT_TRUE(info.discoverable);
}

TEST(GetBluetoothInfo, ZplIsNotAskedAndSilenceIsBounded) {
    PrinterFixture p;
    p.probeAnswer = "3";
    EmulationCode e = EmulationCode::EscPos;
    auto info = getBluetoothInfo(p.exchange, e);
    EXPECT_EQ(info.result, kProbeOk);
    EXPECT_FALSE(info.queried);
    EXPECT_EQ(p.link.writes().size(), 1u);

    PrinterFixture q;
    q.probeAnswer = "1";
    q.answers = {{"\x1B" "bt\x01\x0E", "AA"}};  // the discoverable query stays unanswered
    info = getBluetoothInfo(q.exchange, e);
    EXPECT_EQ(info.result, kProbeNoResponse);
    EXPECT_FALSE(info.queried);
}
