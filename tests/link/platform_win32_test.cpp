// The Windows system layer of the links where no printer is attached (as under Wine): the
// spooler answers, and a USB open fails at once and says why.
#include <gtest/gtest.h>

#include <chrono>

#include "link/port_discovery.h"
#include "link/spooler.h"
#include "link/usb_link.h"

using namespace setrion;

TEST(PlatformWin32, SpoolerAnswersAndPortListsAreComPorts) {
    EXPECT_TRUE(makeSystemSpooler()->queues().has_value());
    for (const TtyDeviceInfo& t : systemDeviceSource().ttyDevices()) {
        EXPECT_EQ(t.sysName.rfind("COM", 0), 0u) << t.sysName;
        EXPECT_EQ(t.devNode, "\\\\.\\" + t.sysName);
    }
}

TEST(PlatformWin32, UsbOpenWithoutPrinterFailsFast) {
    std::vector<usb::DeviceInfo> devices;
    ASSERT_EQ(usb::systemUsbBackend().enumerate(devices), usb::UsbError::Ok);
    for (const auto& d : devices)
        if (UsbLink::acceptedInterface(d)) GTEST_SKIP() << "a printer is plugged in";
    UsbLink link(usb::systemUsbBackend());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(link.open(), UsbLink::kOpenFailed);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_FALSE(link.isOpen());
    std::unique_ptr<usb::UsbDeviceHandle> handle;
    usb::DeviceInfo unknown;
    unknown.deviceAddress = 250;
    EXPECT_EQ(usb::systemUsbBackend().open(unknown, handle), usb::UsbError::NoDevice);
}
