#include <gtest/gtest.h>

#include "link/driver_conflict.h"
#include "link/port_names.h"
#include "link/port_opening.h"
#include "tests/link/fake_port_opener.h"

using namespace setrion;
using namespace setrion::test;

TEST(DeviceOfUri, TakesTheLocalDevicePath) {
    EXPECT_EQ(deviceOfUri("serial:/dev/ttyS0?baud=9600"), "/dev/ttyS0");
    EXPECT_EQ(deviceOfUri("serial:/dev/ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_EQ(deviceOfUri("serial:///dev/ttyS1?baud=115200+bits=8"), "/dev/ttyS1");
    EXPECT_EQ(deviceOfUri("parallel:/dev/lp0#x"), "/dev/lp0");
    EXPECT_EQ(deviceOfUri("ipp://host/printers/a"), "");
    EXPECT_EQ(deviceOfUri("usb://Maker/Model?serial=1"), "");
    EXPECT_EQ(deviceOfUri("socket://127.0.0.1:9100"), "");
    EXPECT_EQ(deviceOfUri("/dev/ttyS0"), "");
    EXPECT_EQ(deviceOfUri(""), "");
}

TEST(DriverConflict, WindowsSpoolerPortsNameComDevices) {
    EXPECT_EQ(deviceOfUri("COM3:"), "\\\\.\\COM3");
    for (const char* other : {"USB001", "FILE:", "LPT1:", "COM0:", "COMX:", "\\\\srv\\COM3"})
        EXPECT_EQ(deviceOfUri(other), "") << other;
    FixedSpooler spooler(std::vector<SpoolerQueue>{{"fax", "FILE:"}, {"labels", "COM12:"}});
    auto check = checkDriverConflict(spooler, "\\\\.\\com12");
    ASSERT_TRUE(check.conflict);
    EXPECT_EQ(check.conflict->printerName, "labels");
    EXPECT_EQ(check.conflict->portName, "COM12:");
    EXPECT_FALSE(checkDriverConflict(spooler, "\\\\.\\COM1").conflict);
}

TEST(DriverConflict, FirstExactMatchInSpoolerOrder) {
    FixedSpooler spooler(std::vector<SpoolerQueue>{{"office", "ipp://host/printers/office"},
                           {"labels0x", "serial:/dev/ttyS0x"},
                           {"labels", "serial:/dev/ttyS0?baud=9600"},
                           {"labels-again", "serial:/dev/ttyS0"}});
    auto check = checkDriverConflict(spooler, "/dev/ttyS0");
    ASSERT_TRUE(check.conflict);
    EXPECT_FALSE(check.enumerationFailed);
    EXPECT_EQ(check.conflict->printerName, "labels");
    EXPECT_EQ(check.conflict->portName, "serial:/dev/ttyS0?baud=9600");
    EXPECT_FALSE(checkDriverConflict(spooler, "/dev/ttyS1").conflict);
    EXPECT_FALSE(checkDriverConflict(spooler, "/dev/TTYS0").conflict);  // case-sensitive
}

TEST(DriverConflict, MessageText) {
    EXPECT_EQ(driverConflictMessage({"labels", "serial:/dev/ttyS0?baud=9600"}),
              "The port(serial:/dev/ttyS0?baud=9600) is already occupied in windows printer "
              "driver(labels).\n\nSo, please change your printer driver port from "
              "serial:/dev/ttyS0?baud=9600 to other port\n\nand execute again.");
}

TEST(DriverConflict, TraceNamesPrinterPortAndDriver) {
    FixedSpooler spooler(std::vector<SpoolerQueue>{
        {"labels", "serial:/dev/ttyS0?baud=9600", "Generic Label Printer"}});
    auto check = checkDriverConflict(spooler, "/dev/ttyS0");
    ASSERT_TRUE(check.conflict);
    EXPECT_EQ(check.conflict->driverName, "Generic Label Printer");
    EXPECT_EQ(driverConflictTrace(*check.conflict),
              "PrinterName = labels PortName=serial:/dev/ttyS0?baud=9600 "
              "DriverName=Generic Label Printer");
}

TEST(OpenPrinterPort, ConflictOpensNothing) {
    // A queue on the device COM1 stands for: /dev/ttyS0 here, \\.\COM1 on Windows.
#ifdef _WIN32
    FixedSpooler spooler(std::vector<SpoolerQueue>{{"labels", "COM1:"}});
#else
    FixedSpooler spooler(std::vector<SpoolerQueue>{{"labels", "serial:/dev/ttyS0?baud=9600"}});
#endif
    FakePortOpener opener;
    auto r = openPrinterPort("COM1", {}, {}, spooler, opener, noEnv);
    EXPECT_EQ(r.status, PortOpenResult::Status::DriverConflict);
    EXPECT_TRUE(opener.serialOpens.empty());
    auto msg = portOpenFailureMessage(r);
    ASSERT_TRUE(msg);
    EXPECT_EQ(msg->caption, "ERROR");

    r = openPrinterPort("COM2", {}, {}, spooler, opener, noEnv);
    EXPECT_TRUE(r.opened());
    EXPECT_EQ(r.kind, LinkKind::Serial);
    EXPECT_EQ(opener.serialOpens, std::vector<std::string>{defaultComDevice(2)});
}

TEST(OpenPrinterPort, MappedPortIsCheckedByItsDevice) {
    FixedSpooler spooler(std::vector<SpoolerQueue>{{"usbserial", "serial:/dev/ttyUSB0?baud=19200"}});
    FakePortOpener opener;
    PortMap map{{"COM3", "/dev/ttyUSB0"}};
    auto r = openPrinterPort("COM3", {}, map, spooler, opener, noEnv);
    EXPECT_EQ(r.status, PortOpenResult::Status::DriverConflict);
    EXPECT_EQ(r.conflict->printerName, "usbserial");
}

TEST(OpenPrinterPort, FailedEnumerationIsReportedAndOpeningGoesOn) {
    FixedSpooler spooler(std::nullopt);
    FakePortOpener opener;
    auto r = openPrinterPort("COM1", {}, {}, spooler, opener, noEnv);
    EXPECT_TRUE(r.enumerationFailed);
    EXPECT_TRUE(r.opened());
    EXPECT_EQ(opener.serialOpens.size(), 1u);
}

TEST(OpenPrinterPort, FailedOpensCloseTheLinkAgain) {
    NullSpooler spooler;
    FakePortOpener opener;
    opener.serialResult = -1;
    auto r = openPrinterPort("COM4", {}, {}, spooler, opener, noEnv);
    EXPECT_EQ(r.status, PortOpenResult::Status::SerialOpenFailed);
    EXPECT_FALSE(opener.serialLink.isOpen());
    EXPECT_EQ(portOpenFailureMessage(r)->text, "Serial Port Open Failed");
    EXPECT_EQ(portOpenFailureMessage(r)->caption, "Error");

    FixedSpooler watched;
    opener.usbResult = -1;
    r = openPrinterPort("USB", {}, {}, watched, opener, noEnv);
    EXPECT_EQ(r.status, PortOpenResult::Status::UsbOpenFailed);
    EXPECT_EQ(r.kind, LinkKind::Usb);
    EXPECT_EQ(portOpenFailureMessage(r)->text, "USB Port Open Failed");
    EXPECT_EQ(watched.calls(), 0);  // USB has no device path to compare
    EXPECT_EQ(opener.usbLink.closes(), 1);
}

TEST(OpenPrinterPort, PassesTheLineSettingsThrough) {
    NullSpooler spooler;
    FakePortOpener opener;
    SerialSettings s;
    s.baud = 38400;
    s.parityIndex = 2;
    s.stopBitsIndex = 1;
    EXPECT_TRUE(openPrinterPort("COM9", s, {}, spooler, opener, noEnv).opened());
    EXPECT_EQ(opener.serialOpens.back(), defaultComDevice(9));
    EXPECT_EQ(opener.lastSettings.baud, 38400);
    EXPECT_EQ(opener.lastSettings.parityIndex, 2);
    EXPECT_EQ(opener.lastSettings.stopBitsIndex, 1);
}
