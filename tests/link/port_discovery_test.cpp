// Port discovery and the Port list on a fake device list.
#include <gtest/gtest.h>

#include "link/port_discovery.h"
#include "link/port_list.h"

namespace setrion {
namespace {

TtyDeviceInfo tty(std::string name, std::optional<int> uart = std::nullopt) {
    TtyDeviceInfo t;
    t.sysName = name;
    t.devNode = "/dev/" + name;
    t.uartType = uart;
    return t;
}

TtyDeviceInfo ftdi() {
    TtyDeviceInfo t = tty("ttyUSB0");
    t.devLinks = {"/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0",
                  "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A6008isP-if00-port0"};
    t.vendor = "FTDI";
    t.model = "FT232R USB UART";
    t.serialNumber = "A6008isP";
    t.usbId = "0403:6001";
    t.driver = "ftdi_sio";
    return t;
}

const EnvLookup kNoEnv = [](const char*) -> const char* { return nullptr; };

std::vector<std::string> names(const std::vector<DiscoveredPort>& ports) {
    std::vector<std::string> n;
    for (const auto& p : ports) n.push_back(p.name);
    return n;
}

TEST(PortDiscovery, KeepsHardwarePortsInKindThenNumberOrder) {
    // ttyS placeholders (type 0) and ttyS without a known type are left out, as are virtual
    // consoles and other ttys.
    FixedDeviceSource source({tty("ttyS1", 0), tty("rfcomm0"), tty("ttyUSB10"), tty("ttyS4", 4),
                              tty("tty0"), tty("ttyACM0"), tty("ttyS2"), tty("ttyUSB2"),
                              tty("ttyprintk"), tty("ttyS0", 4)});
    const auto ports = discoverSerialPorts(source, {}, kNoEnv);
    EXPECT_EQ(names(ports), (std::vector<std::string>{"ttyUSB2", "ttyUSB10", "ttyACM0", "rfcomm0",
                                                      "ttyS0", "ttyS4"}));
    // ttyS0 is what COM1 stands for by default.
    EXPECT_EQ(ports[4].mappedTo, "COM1");
    EXPECT_EQ(ports[5].mappedTo, "COM5");
    EXPECT_EQ(ports[0].mappedTo, "");
}

TEST(PortDiscovery, UsbSerialAdapterIsDescribedByItsNames) {
    FixedDeviceSource source({ftdi()});
    const auto ports = discoverSerialPorts(source, {}, kNoEnv);
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_EQ(ports[0].device, "/dev/ttyUSB0");
    EXPECT_EQ(ports[0].byId, "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A6008isP-if00-port0");
    EXPECT_EQ(ports[0].description, "FTDI FT232R USB UART (A6008isP)");
    EXPECT_EQ(ports[0].listText(), "ttyUSB0 \xE2\x80\x94 FTDI FT232R USB UART (A6008isP)");
    EXPECT_EQ(ports[0].usbId, "0403:6001");
    EXPECT_EQ(ports[0].driver, "ftdi_sio");
}

TEST(PortDiscovery, WindowsComPortsByNumberWithTheirDevices) {
    TtyDeviceInfo com3 = tty("COM3"), usb = tty("COM12");
    com3.devNode = "\\\\.\\COM3";
    usb.devNode = "\\\\.\\COM12";
    usb.vendor = "FTDI";
    usb.model = "USB Serial Port";
    usb.usbId = "0403:6001";
    usb.driver = "FTSER2K";
    FixedDeviceSource source({usb, com3});
    PortMap map{{"COM3", "\\\\.\\COM3"}};
    auto ports = discoverSerialPorts(source, map, kNoEnv);
    ASSERT_EQ(names(ports), (std::vector<std::string>{"COM3", "COM12"}));
    EXPECT_EQ(ports[0].mappedTo, "COM3");
    EXPECT_EQ(ports[0].description, "serial port");
    EXPECT_EQ(ports[1].device, "\\\\.\\COM12");
    EXPECT_EQ(ports[1].listText(), "COM12 \xE2\x80\x94 FTDI USB Serial Port");
    EXPECT_TRUE(ports[1].mappedTo.empty());
}

TEST(PortList, FixedEntriesFirstThenUnmappedDevices) {
    // A --map to the by-id link and SETRION_COM7 to the node both count as mapped.
    TtyDeviceInfo acm = tty("ttyACM0");
    acm.driver = "cdc_acm";
    FixedDeviceSource source({ftdi(), acm, tty("rfcomm0")});
    PortMap map{{"COM3", "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A6008isP-if00-port0"}};
    const EnvLookup env = [](const char* var) -> const char* {
        return std::string(var) == "SETRION_COM7" ? "/dev/ttyACM0" : nullptr;
    };
    const auto ports = discoverSerialPorts(source, map, env);
    EXPECT_EQ(ports[0].mappedTo, "COM3");
    EXPECT_EQ(ports[1].mappedTo, "COM7");

    PortList list(fixedPortNames());
    EXPECT_EQ(list.refresh(ports, 3), 3);
    EXPECT_EQ(list.texts(), (std::vector<std::string>{"COM1", "COM2", "COM3", "COM4", "COM5", "COM6",
                                                      "COM7", "COM8", "COM9", "USB",
                                                      "rfcomm0 \xE2\x80\x94 Bluetooth serial port"}));
    const PortList::Entry* last = list.at(10);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->portName, "/dev/rfcomm0");
    EXPECT_TRUE(last->serial);
    EXPECT_FALSE(list.at(9)->serial);  // USB
    EXPECT_EQ(list.at(11), nullptr);
}

TEST(PortList, RefreshKeepsTheSelectedDeviceWhileItIsThere) {
    PortList list({"COM1", "COM2", "USB", "LAN (network search)"});
    FixedDeviceSource source({tty("ttyACM0"), ftdi()});
    EXPECT_EQ(list.refresh(discoverSerialPorts(source, {}, kNoEnv), 0), 0);
    ASSERT_NE(list.at(5), nullptr);
    EXPECT_EQ(list.at(5)->portName, "/dev/ttyACM0");
    // A second adapter sorts before the selected modem: the selection follows the device.
    source.ttys().push_back(tty("ttyUSB1"));
    EXPECT_EQ(list.refresh(discoverSerialPorts(source, {}, kNoEnv), 5), 6);
    source.ttys().erase(source.ttys().begin());  // the modem is unplugged
    EXPECT_EQ(list.refresh(discoverSerialPorts(source, {}, kNoEnv), 6), 0);
    EXPECT_EQ(list.texts().size(), 6u);
    // A fixed entry stays selected whatever is plugged in.
    EXPECT_EQ(list.refresh({}, 3), 3);
}

TEST(PortDiscovery, OnlyTheUsbPrintersTheLinkOpens) {
    FixedDeviceSource source({}, {{0x12EE, 0x9485, "Maker", "Qx7", "Q123"},
                                  {0x0403, 0x6001, "FTDI", "FT232R", ""},
                                  {0x0525, 0xA702, "", "", ""}});
    const auto printers = discoverUsbPrinters(source);
    ASSERT_EQ(printers.size(), 2u);
    EXPECT_EQ(printers[0].usbId, "12ee:9485");
    EXPECT_EQ(printers[0].description, "Maker Qx7 (Q123)");
    EXPECT_EQ(printers[1].usbId, "0525:a702");
}

}  // namespace
}  // namespace setrion
