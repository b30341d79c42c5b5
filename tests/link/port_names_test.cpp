#include "link/port_names.h"

#include <gtest/gtest.h>

#include <cstring>

namespace setrion {
namespace {

const char* noEnv(const char*) { return nullptr; }

TEST(PortNames, ComNumbersResolveToTtySUnlessMapped) {
    PortMap none;
    std::string err;
    auto p = resolvePort("COM1", none, &err, noEnv);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->kind, ResolvedPort::Kind::Serial);
    EXPECT_EQ(p->device, "/dev/ttyS0");
    EXPECT_EQ(resolvePort("COM9", none, &err, noEnv)->device, "/dev/ttyS8");
    EXPECT_EQ(resolvePort("com3", none, &err, noEnv)->device, "/dev/ttyS2");
}

TEST(PortNames, MapOptionWinsOverEnvironmentWhichWinsOverDefault) {
    auto env = [](const char* name) -> const char* {
        return std::strcmp(name, "SETRION_COM3") == 0 ? "/dev/ttyUSB0" : nullptr;
    };
    PortMap map;
    EXPECT_EQ(resolvePort("COM3", map, nullptr, env)->device, "/dev/ttyUSB0");
    EXPECT_EQ(resolvePort("COM4", map, nullptr, env)->device, "/dev/ttyS3");
    ASSERT_EQ(addPortMapping("COM3=/dev/rfcomm0", map), "");
    EXPECT_EQ(resolvePort("COM3", map, nullptr, env)->device, "/dev/rfcomm0");
}

TEST(PortNames, UsbAndDevicePaths) {
    PortMap none;
    EXPECT_EQ(resolvePort("USB", none, nullptr, noEnv)->kind, ResolvedPort::Kind::Usb);
    auto p = resolvePort("/dev/pts/7", none, nullptr, noEnv);
    EXPECT_EQ(p->kind, ResolvedPort::Kind::Serial);
    EXPECT_EQ(p->device, "/dev/pts/7");
}

TEST(PortNames, BadNamesAndMappingsAreRefusedWithAReason) {
    PortMap map;
    std::string err;
    EXPECT_FALSE(resolvePort("", map, &err, noEnv));
    EXPECT_FALSE(resolvePort("COM0", map, &err, noEnv));
    EXPECT_FALSE(resolvePort("COM10", map, &err, noEnv));
    EXPECT_NE(err, "");
    EXPECT_NE(addPortMapping("COM3", map), "");
    EXPECT_NE(addPortMapping("COM12=/dev/x", map), "");
    EXPECT_NE(addPortMapping("COM2=", map), "");
    EXPECT_TRUE(map.empty());
}

TEST(PortNames, ListOrder) {
    auto names = portListNames();
    ASSERT_EQ(names.size(), 10u);
    EXPECT_EQ(names.front(), "COM1");
    EXPECT_EQ(names[8], "COM9");
    EXPECT_EQ(names.back(), "USB");
}

}  // namespace
}  // namespace setrion
