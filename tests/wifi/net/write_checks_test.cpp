#include "wifi/net/write_checks.h"

#include <gtest/gtest.h>

#include <cstring>

#include "wifi/net/save_result.h"

using namespace setrion::net;

namespace {

uint32_t ip(const char* text) { return *parseIpv4(text); }

DiscoveredPrinter usableModule() {
    DiscoveredPrinter r;
    r.ipAddress = {192, 168, 1, 20};
    r.subnetMask = {255, 255, 255, 0};
    return r;
}

void setPort(DiscoveredPrinter& r, int n, uint16_t local, uint8_t mode) {
    r.ports[n].present = true;
    r.ports[n].setLocalPort(local);
    r.ports[n].block[12] = mode;
}

std::array<uint8_t, 32> macro(const char* text) {
    std::array<uint8_t, 32> m{};
    std::memcpy(m.data(), text, std::strlen(text));
    return m;
}

}  // namespace

TEST(IpCheck, RefusesTheDocumentedAddresses) {
    EXPECT_FALSE(ipAddressUsable(ip("192.168.1.255"), ip("255.255.255.0")));
    EXPECT_FALSE(ipAddressUsable(ip("10.0.0.0"), ip("255.0.0.0")));
    EXPECT_FALSE(ipAddressUsable(ip("127.0.0.5"), ip("255.0.0.0")));
    EXPECT_FALSE(ipAddressUsable(ip("224.0.0.1"), ip("255.255.255.0")));
    EXPECT_FALSE(ipAddressUsable(ip("0.0.0.0"), ip("255.255.255.0")));
    EXPECT_FALSE(ipAddressUsable(ip("172.16.255.255"), ip("255.255.0.0")));
    EXPECT_FALSE(ipAddressUsable(ip("192.168.1.64"), ip("255.255.255.192")));  // host bits clear
    EXPECT_TRUE(ipAddressUsable(ip("192.168.1.20"), ip("255.255.255.0")));
    EXPECT_TRUE(ipAddressUsable(ip("10.1.2.3"), ip("255.0.0.0")));
}

TEST(PortChecks, GiveTheirCodesAndMessages) {
    auto r = usableModule();
    setPort(r, 0, 50005, 3);
    EXPECT_EQ(saveErrorMessage(checkModuleForWrite(r)),
              "The port number 50005 is not available for Local Port.");
    setPort(r, 0, 50006, 3);
    EXPECT_EQ(saveErrorMessage(checkModuleForWrite(r)),
              "The port number 50006 is not available for Local Port.");
    setPort(r, 0, 50006, 1);  // not mode 3
    EXPECT_EQ(checkModuleForWrite(r), 0);
    setPort(r, 0, 23, 1);
    EXPECT_EQ(saveErrorMessage(checkModuleForWrite(r)), "Port Number 23 is not available");
    setPort(r, 0, 23, 2);  // mode 2 ports do not take part
    EXPECT_EQ(checkModuleForWrite(r), 0);
}

TEST(PortChecks, EveryPresentPortTakesPart) {
    auto r = usableModule();
    setPort(r, 0, 9100, 1);
    setPort(r, 3, 9100, 1);  // only two ports present, the duplicate in the last slot
    EXPECT_EQ(checkModuleForWrite(r), kCodeDuplicatePorts);
    EXPECT_EQ(saveErrorMessage(kCodeDuplicatePorts), "Local Port Number Error");
    setPort(r, 3, 23, 1);
    EXPECT_EQ(checkModuleForWrite(r), kCodePort23);
}

TEST(PortChecks, ModbusAndWebPortsOnIoProducts) {
    auto r = usableModule();
    r.productCode = 0x10;
    setPort(r, 0, 502, 1);
    r.ioBlock[8] = 0xF6;  // Modbus/TCP port 502
    r.ioBlock[9] = 0x01;
    r.ioBlock[14] = 100;  // I/O ports 0 and 100: far apart
    EXPECT_EQ(saveErrorMessage(checkModuleForWrite(r)), "Local and Modbus/TCP Port numbers are duplicated.");
    r.ioBlock[0] = 0x08;  // Modbus check off
    EXPECT_EQ(checkModuleForWrite(r), 0);
    setPort(r, 0, 80, 1);
    r.webBlock[0] = 80;
    r.optionFlags = kOptionWebPortCheck;
    EXPECT_EQ(saveErrorMessage(checkModuleForWrite(r)), "The port number 80 is not available for Local Port.");
}

TEST(MacroCheck, Syntax) {
    for (const char* good : {"", "I0", "i7", "I0*I1", "(I0+I1)*I2", "/I0", "I0*/I1", "( I0 + I1 )", "(I0+I1)*(I2+I3)"})
        EXPECT_TRUE(macroSyntaxValid(macro(good))) << good;
    for (const char* bad : {"I8", "0", "I", "I0*", "I0+", "(I0", "I0)", ")", "I0(I1)", "I0/I1", "/", "/*",
                            "A0", "I0**I1", "I01", "((I0))"})
        EXPECT_FALSE(macroSyntaxValid(macro(bad))) << bad;
}

TEST(MacroCheck, OnlyWhenMacrosAreInUse) {
    auto r = usableModule();
    r.productCode = 0x10;
    r.ioBlock[14] = 100;
    r.macros[5] = macro("I0*");
    EXPECT_EQ(checkModuleForWrite(r), 0);
    r.ioBlock[0] = 0x02;
    EXPECT_EQ(saveErrorMessage(checkModuleForWrite(r)), "Macro Syntax Error");
}

TEST(IoPortDistance, RangeByProduct) {
    auto r = usableModule();
    r.productCode = 0x10;
    r.ioBlock[12] = 10;
    r.ioBlock[14] = 17;
    EXPECT_EQ(saveErrorMessage(checkModuleForWrite(r)), "I/O Port Address Error");
    r.ioBlock[14] = 18;
    EXPECT_EQ(checkModuleForWrite(r), 0);
    r.productCode = 0x22;
    r.ioBlock[14] = 13;
    EXPECT_EQ(checkModuleForWrite(r), kCodeIoPortDistance);
    r.ioBlock[14] = 14;
    EXPECT_EQ(checkModuleForWrite(r), 0);
}

TEST(SaveErrorMessage, TheTable) {
    EXPECT_EQ(saveErrorMessage(-900), "There is no available information to write.");
    EXPECT_EQ(saveErrorMessage(-800), "Unknown Error");
    EXPECT_EQ(saveErrorMessage(-700), "Product ID Mismatch");
    EXPECT_EQ(saveErrorMessage(-500), "I/O Port Address Error");
    EXPECT_EQ(saveErrorMessage(-300), "Local IP Address Error");
    EXPECT_EQ(saveErrorMessage(-200), "No response from selected ezTCP.");
    EXPECT_EQ(saveErrorMessage(-100), "Password mismatch error occured.");
    EXPECT_EQ(saveErrorMessage(111), "Invalid Error Code [111]");
    EXPECT_EQ(saveErrorMessage(-910), "Invalid Error Code [-910]");
}
