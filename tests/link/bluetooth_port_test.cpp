#include "link/bluetooth_port.h"

#include <gtest/gtest.h>

#include "link/port_failure.h"
#include "link/serial_link.h"

namespace setrion {
namespace {

TEST(BluetoothPort, ParsesAddressAndChannel) {
    struct Case {
        const char* name;
        bool ok;
        int channel;
        const char* error;
    };
    const Case cases[] = {
        {"bt:00:11:22:33:44:55", true, 1, ""},
        {"BT:0a:1B:22:33:44:FF/3", true, 3, ""},
        {"bt:00:11:22:33:44:55/30", true, 30, ""},
        {"bt:00:11:22:33:44:55/0", false, 0, "the RFCOMM channel must be 1 to 30"},
        {"bt:00:11:22:33:44:55/31", false, 0, "the RFCOMM channel must be 1 to 30"},
        {"bt:00:11:22:33:44:55/", false, 0, "expected /CHANNEL (1 to 30) after the address"},
        {"bt:00:11:22:33:44:55:66", false, 0, "expected /CHANNEL (1 to 30) after the address"},
        {"bt:00:11:22:33:44", false, 0, "expected an address such as 00:11:22:33:44:55"},
        {"bt:00-11-22-33-44-55", false, 0, "expected an address such as 00:11:22:33:44:55"},
        {"bt:0g:11:22:33:44:55", false, 0, "expected an address such as 00:11:22:33:44:55"},
    };
    for (const Case& c : cases) {
        std::string error;
        auto port = parseBluetoothPort(c.name, &error);
        ASSERT_EQ(port.has_value(), c.ok) << c.name;
        if (c.ok) {
            EXPECT_EQ(port->channel, c.channel) << c.name;
        } else {
            EXPECT_EQ(error, std::string(c.name) + ": " + c.error);
        }
    }
    auto port = parseBluetoothPort("bt:0a:1B:22:33:44:FF");
    ASSERT_TRUE(port);
    EXPECT_EQ(port->address, (std::array<uint8_t, 6>{0x0A, 0x1B, 0x22, 0x33, 0x44, 0xFF}));
    EXPECT_FALSE(isBluetoothPortName("/dev/rfcomm0"));
    EXPECT_FALSE(isBluetoothPortName("bt"));
}

// A bad name never reaches a socket; the reason names what is wrong.
TEST(BluetoothPort, SerialOpenOfABadNameSaysWhy) {
    SerialLink link;
    EXPECT_EQ(link.open("bt:00:11:22", SerialSettings{}), -1);
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(serialOpenFailureReason("bt:00:11:22", link.lastOpenError()),
              "bt:00:11:22: expected an address such as 00:11:22:33:44:55");
}

}  // namespace
}  // namespace setrion
