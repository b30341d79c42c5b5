#include "link/usb_link.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/trace.h"
#include "tests/link/fake_usb_backend.h"

namespace setrion {
namespace {

using test::FakeUsbBackend;
using Ms = std::chrono::milliseconds;
using Steady = std::chrono::steady_clock;

std::vector<uint8_t> pattern(size_t n) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>((i * 7 + i / 251) & 0xFF);
    return v;
}

std::vector<uint8_t> bytesOf(const std::string& s) {
    return {s.begin(), s.end()};
}

long long elapsedMs(Steady::time_point since) {
    return std::chrono::duration_cast<Ms>(Steady::now() - since).count();
}

template <typename Pred>
bool eventually(Pred pred, Ms limit = Ms(3000)) {
    auto start = Steady::now();
    while (!pred()) {
        if (Steady::now() - start > limit) return false;
        std::this_thread::sleep_for(Ms(1));
    }
    return true;
}

// Short waits so the reconnect cases run quickly; the bounds stay generous for slow
// sanitizer builds.
UsbLinkOptions fastOptions() {
    UsbLinkOptions o;
    o.pollIntervalMs = 5;
    o.reconnectBoundMs = 5000;
    o.writeBoundMs = 5000;
    o.readTimeoutMs = 1;
    return o;
}

class UsbLinkTest : public ::testing::Test {
  protected:
    FakeUsbBackend bus;
    ManualClock clock;
};

TEST(UsbLinkAcceptance, TakesOnlyTheTwoPrinterIdsWithBulkOutAndIn) {
    auto a = UsbLink::acceptedInterface(FakeUsbBackend::printer(0x12EE, 0x9485));
    ASSERT_TRUE(a.has_value());
    EXPECT_EQ(a->outEndpoint, 0x01);
    EXPECT_EQ(a->inEndpoint, 0x82);
    EXPECT_EQ(a->inPacketSize, 64);
    EXPECT_TRUE(UsbLink::acceptedInterface(FakeUsbBackend::printer(0x0525, 0xA702)));

    // Another product of the same vendor, and the two ids crossed.
    EXPECT_FALSE(UsbLink::acceptedInterface(FakeUsbBackend::printer(0x12EE, 0x9486)));
    EXPECT_FALSE(UsbLink::acceptedInterface(FakeUsbBackend::printer(0x12EE, 0xA702)));
    EXPECT_FALSE(UsbLink::acceptedInterface(FakeUsbBackend::printer(0x0525, 0x9485)));
    // The right ids without a printer-class interface (8 is mass storage).
    EXPECT_FALSE(UsbLink::acceptedInterface(FakeUsbBackend::printer(0x12EE, 0x9485, 8)));

    auto outOnly = FakeUsbBackend::printer(0x12EE, 0x9485);
    outOnly.interfaces[0].endpoints.pop_back();
    EXPECT_FALSE(UsbLink::acceptedInterface(outOnly));
    auto interruptIn = FakeUsbBackend::printer(0x12EE, 0x9485);
    interruptIn.interfaces[0].endpoints[1].attributes = 0x03;
    EXPECT_FALSE(UsbLink::acceptedInterface(interruptIn));
}

TEST(UsbLinkAcceptance, PicksTheAlternateSettingThatHasBothDirections) {
    auto dev = FakeUsbBackend::printer(0x0525, 0xA702);
    dev.interfaces[0].endpoints.pop_back();  // alternate 0: unidirectional, OUT only
    usb::InterfaceInfo bidi = FakeUsbBackend::printer(0x0525, 0xA702).interfaces[0];
    bidi.alternateSetting = 1;
    bidi.interfaceProtocol = 2;
    dev.interfaces.push_back(bidi);
    auto a = UsbLink::acceptedInterface(dev);
    ASSERT_TRUE(a.has_value());
    EXPECT_EQ(a->alternateSetting, 1);
    EXPECT_EQ(a->inEndpoint, 0x82);
}

TEST_F(UsbLinkTest, OpenFailsWithOneWhenNoAcceptedDeviceIsPresent) {
    UsbLink link(bus, clock, fastOptions());
    EXPECT_EQ(link.open("USB"), 1);

    size_t other = bus.addDevice(FakeUsbBackend::printer(0x04B8, 0x0202));
    EXPECT_EQ(link.open("USB"), 1);
    EXPECT_TRUE(bus.events(other).empty()) << "a printer with other ids is never opened";

    EXPECT_FALSE(link.isOpen());
    const auto data = bytesOf("! U1 getvar \"device.languages\"\r\n");
    EXPECT_EQ(link.write(data), 0);
    uint8_t buf[16];
    EXPECT_EQ(link.read(buf), 0);
    EXPECT_EQ(link.closePort(), 3);
    EXPECT_TRUE(bus.received(other).empty());
}

TEST_F(UsbLinkTest, OpenSkipsOtherIdsAndClaimsThePrinterFromItsKernelDriver) {
    size_t other = bus.addDevice(FakeUsbBackend::printer(0x12EE, 0x0001));
    size_t printer = bus.addDevice(FakeUsbBackend::printer(0x0525, 0xA702));
    UsbLink link(bus, clock, fastOptions());
    ASSERT_EQ(link.open("USB"), 0);
    EXPECT_TRUE(link.isOpen());
    EXPECT_TRUE(bus.events(other).empty());
    EXPECT_EQ(bus.events(printer), (std::vector<std::string>{"open", "detach 0", "claim 0"}));
    EXPECT_FALSE(bus.kernelDriverBound(printer));

    EXPECT_EQ(link.closePort(), 0);
    EXPECT_EQ(bus.events(printer), (std::vector<std::string>{"open", "detach 0", "claim 0", "out 1",
                                                             "release 0", "attach 0", "close"}));
    EXPECT_TRUE(bus.kernelDriverBound(printer));
    EXPECT_EQ(bus.openHandles(), 0u);
}

TEST_F(UsbLinkTest, OpenFailsOnPermissionsAndOnAHeldInterfaceLeavingTheDriverBound) {
    size_t printer = bus.addDevice(FakeUsbBackend::printer(0x12EE, 0x9485));
    UsbLink link(bus, clock, fastOptions());

    bus.setOpenError(printer, usb::UsbError::Access);
    EXPECT_EQ(link.open("USB"), 1);
    EXPECT_TRUE(bus.events(printer).empty());

    bus.setOpenError(printer, usb::UsbError::Ok);
    bus.setInterfaceHeld(printer, true);
    EXPECT_EQ(link.open("USB"), 1);
    EXPECT_EQ(bus.events(printer),
              (std::vector<std::string>{"open", "detach 0", "attach 0", "close"}));
    EXPECT_TRUE(bus.kernelDriverBound(printer));
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(bus.openHandles(), 0u);
}

TEST_F(UsbLinkTest, OpenGoesOnToTheNextPrinterWhenOneIsHeld) {
    size_t held = bus.addDevice(FakeUsbBackend::printer(0x12EE, 0x9485));
    size_t idle = bus.addDevice(FakeUsbBackend::printer(0x12EE, 0x9485));
    bus.setInterfaceHeld(held, true);
    UsbLink link(bus, clock, fastOptions());
    ASSERT_EQ(link.open("USB"), 0);
    EXPECT_TRUE(bus.claimed(idle));
    EXPECT_FALSE(bus.claimed(held));
}

TEST_F(UsbLinkTest, WriteSendsBlocksOfAtMost1024Bytes) {
    size_t printer = bus.addDevice(FakeUsbBackend::printer(0x12EE, 0x9485));
    UsbLink link(bus, clock, fastOptions());
    ASSERT_EQ(link.open(), 0);
    const auto data = pattern(2500);
    EXPECT_EQ(link.write(data), 2500);
    EXPECT_EQ(bus.transferSizes(printer), (std::vector<size_t>{1024, 1024, 452}));
    EXPECT_EQ(bus.received(printer), data);
    EXPECT_FALSE(link.reconnectRunning());
    EXPECT_FALSE(link.reconnected());
}

TEST_F(UsbLinkTest, ReadReturnsZeroAtOnceWhenIdleAndKeepsWhatDoesNotFit) {
    size_t printer = bus.addDevice(FakeUsbBackend::printer(0x12EE, 0x9485));
    UsbLink link(bus, clock, fastOptions());
    ASSERT_EQ(link.open(), 0);

    uint8_t buf[4];
    auto start = Steady::now();
    EXPECT_EQ(link.read(buf), 0);
    EXPECT_LT(elapsedMs(start), 100);

    bus.queueInput(printer, bytesOf("0123456789"));
    std::string got;
    for (int i = 0; i < 3; ++i) {
        int n = link.read(buf);
        got.append(reinterpret_cast<char*>(buf), static_cast<size_t>(n));
        if (i < 2) {
            EXPECT_EQ(n, 4);
        }
    }
    EXPECT_EQ(got, "0123456789");
    EXPECT_EQ(link.read(buf), 0);

    // A one-byte buffer still takes a whole 64-byte packet from the device, byte by byte.
    const auto answer = pattern(150);
    bus.queueInput(printer, answer);
    std::vector<uint8_t> collected;
    for (int i = 0; i < 400 && collected.size() < answer.size(); ++i) {
        uint8_t one = 0;
        if (link.read(std::span<uint8_t>(&one, 1)) == 1) collected.push_back(one);
    }
    EXPECT_EQ(collected, answer);
}

TEST_F(UsbLinkTest, EveryCloseOfAnOpenLinkSendsOneZeroByteFirst) {
    size_t printer = bus.addDevice(FakeUsbBackend::printer(0x12EE, 0x9485));
    UsbLink link(bus, clock, fastOptions());
    ASSERT_EQ(link.open(), 0);
    ASSERT_EQ(link.write(bytesOf("AB")), 2);
    EXPECT_EQ(link.closePort(), 0);
    EXPECT_EQ(bus.received(printer), (std::vector<uint8_t>{'A', 'B', 0x00}));
    EXPECT_EQ(bus.events(printer),
              (std::vector<std::string>{"open", "detach 0", "claim 0", "out 2", "out 1",
                                        "release 0", "attach 0", "close"}));

    EXPECT_EQ(link.closePort(), 3);
    ASSERT_EQ(link.open(), 0);
    link.close();
    EXPECT_EQ(bus.received(printer), (std::vector<uint8_t>{'A', 'B', 0x00, 0x00}));

    {
        UsbLink scoped(bus, clock, fastOptions());
        ASSERT_EQ(scoped.open(), 0);
    }
    EXPECT_EQ(bus.received(printer), (std::vector<uint8_t>{'A', 'B', 0x00, 0x00, 0x00}));
    EXPECT_EQ(bus.openHandles(), 0u);
}

// --trace follows a session: the open with its detach and claim, each transfer with its
// length, the loss, the reconnect and the close.
TEST_F(UsbLinkTest, TraceSaysWhatTheLinkDid) {
    std::vector<std::string> lines;
    std::mutex linesMutex;  // the reconnect thread traces too
    TraceSink old = setTraceSink([&](std::string_view l) {
        std::lock_guard lock(linesMutex);
        lines.emplace_back(l);
    });
    size_t printer = bus.addDevice(FakeUsbBackend::printer(0x12EE, 0x9485));
    UsbLinkOptions o = fastOptions();
    o.pollIntervalMs = 20;
    UsbLink link(bus, clock, o);
    ASSERT_EQ(link.open(), 0);
    bus.queueInput(printer, bytesOf("CPCL"));
    uint8_t buf[16];
    EXPECT_EQ(link.read(buf), 4);
    bus.unplugAfterBytes(printer, 1500);
    bus.replugAfterEnumerations(printer, 1);
    EXPECT_EQ(link.write(pattern(2048)), 0);
    EXPECT_EQ(link.closePort(), 0);
    setTraceSink(old);

    std::vector<std::string> want{
        "USB 12ee:9485 on bus 1 address 2: opened, interface 0 (out 0x01, in 0x82, 64-byte "
        "packets)",
        "USB detached the kernel driver from interface 0",
        "USB claimed interface 0",
        "USB in 4 bytes",
        "USB out 1024 of 1024 bytes",
        "USB out 476 of 1024 bytes",
        "USB write failed: no-device",
        "USB device lost: waiting up to 5000 ms for it to come back",
        "USB released interface 0, kernel driver not attached: no-device",
        "USB reconnect: searching every 20 ms for up to 5000 ms",
        "USB 12ee:9485 on bus 1 address 2: opened, interface 0 (out 0x01, in 0x82, 64-byte "
        "packets)",
        "USB detached the kernel driver from interface 0",
        "USB claimed interface 0",
        "USB reconnected after",
        "USB out 548 of 548 bytes",
        "USB released interface 0, kernel driver attached again",
    };
    ASSERT_EQ(lines.size(), want.size()) << ::testing::PrintToString(lines);
    for (size_t i = 0; i < want.size(); ++i)
        EXPECT_EQ(lines[i].substr(0, want[i].size()), want[i]) << i;
}

class UsbLinkUnplugTest : public UsbLinkTest, public ::testing::WithParamInterface<size_t> {};

TEST_P(UsbLinkUnplugTest, UnplugMidWriteReconnectsAndDeliversEveryByteOnce) {
    size_t printer = bus.addDevice(FakeUsbBackend::printer(0x12EE, 0x9485));
    UsbLink link(bus, clock, fastOptions());
    ASSERT_EQ(link.open(), 0);

    bus.unplugAfterBytes(printer, GetParam());
    bus.replugAfterEnumerations(printer, 3);
    const auto data = pattern(10 * 1024);
    EXPECT_EQ(link.write(data), 0) << "a write that needed a reconnect reports failure";
    EXPECT_EQ(bus.received(printer), data);
    EXPECT_TRUE(link.reconnected());
    EXPECT_FALSE(link.searching());
    EXPECT_TRUE(link.isOpen());
    EXPECT_TRUE(bus.claimed(printer));
    EXPECT_TRUE(eventually([&] { return !link.reconnectRunning(); }));

    // The link is whole again: the next write goes through at the first attempt.
    const auto more = bytesOf("! U1 setvar \"power.dtr_power_off\" \"off\"\r\n");
    EXPECT_EQ(link.write(more), static_cast<int>(more.size()));
    EXPECT_EQ(link.closePort(), 0);
    auto all = data;
    all.insert(all.end(), more.begin(), more.end());
    all.push_back(0x00);
    EXPECT_EQ(bus.received(printer), all);
}

// Inside the first block, on a block boundary, inside a later block, one byte before the end.
INSTANTIATE_TEST_SUITE_P(CutPoints, UsbLinkUnplugTest,
                         ::testing::Values(size_t{1}, size_t{4096}, size_t{5000}, size_t{10239}));

TEST_F(UsbLinkTest, AStalledTransferReopensTheSamePrinterAndSendsOnlyTheRest) {
    size_t printer = bus.addDevice(FakeUsbBackend::printer(0x12EE, 0x9485));
    UsbLink link(bus, clock, fastOptions());
    ASSERT_EQ(link.open(), 0);
    bus.failNextWrite(printer, usb::UsbError::Timeout, 300);
    const auto data = pattern(1500);
    EXPECT_EQ(link.write(data), 0);
    EXPECT_EQ(bus.received(printer), data);
    EXPECT_EQ(bus.events(printer),
              (std::vector<std::string>{"open", "detach 0", "claim 0", "out 300 timeout",
                                        "release 0", "attach 0", "close", "open", "detach 0",
                                        "claim 0", "out 724", "out 476"}));
    EXPECT_TRUE(link.reconnected());
}

TEST_F(UsbLinkTest, ADeviceThatNeverReturnsEndsTheWriteAfterTheBound) {
    size_t printer = bus.addDevice(FakeUsbBackend::printer(0x12EE, 0x9485));
    UsbLinkOptions o = fastOptions();
    o.writeBoundMs = 150;
    o.reconnectBoundMs = 300;
    UsbLink link(bus, clock, o);
    ASSERT_EQ(link.open(), 0);
    bus.unplugAfterBytes(printer, 2000);
    int hostTurns = 0;  // the desktop program paints on these
    clock.setSleepHook([&](uint32_t) { ++hostTurns; });

    auto start = Steady::now();
    EXPECT_EQ(link.write(pattern(10 * 1024)), 0);
    long long took = elapsedMs(start);
    EXPECT_GE(took, 140);
    EXPECT_LT(took, 3000);
    EXPECT_GE(hostTurns, 2);

    // Responsive afterwards: nothing else waits for the lost device.
    start = Steady::now();
    EXPECT_EQ(link.write(bytesOf("AB")), 0);
    uint8_t buf[8];
    EXPECT_EQ(link.read(buf), 0);
    EXPECT_LT(elapsedMs(start), 50);
    EXPECT_FALSE(link.isOpen());

    EXPECT_TRUE(eventually([&] { return !link.reconnectRunning(); }));
    EXPECT_TRUE(link.searching());
    EXPECT_FALSE(link.reconnected());
    EXPECT_EQ(link.closePort(), 3);
    EXPECT_EQ(bus.received(printer).size(), 2000u);
    EXPECT_EQ(bus.openHandles(), 0u);
}

TEST_F(UsbLinkTest, ADeviceBackAfterTheWriteGaveUpIsTakenAgain) {
    size_t printer = bus.addDevice(FakeUsbBackend::printer(0x12EE, 0x9485));
    UsbLinkOptions o = fastOptions();
    o.writeBoundMs = 30;
    UsbLink link(bus, clock, o);
    ASSERT_EQ(link.open(), 0);
    bus.unplugAfterBytes(printer, 10);
    EXPECT_EQ(link.write(pattern(100)), 0);
    EXPECT_TRUE(link.reconnectRunning());

    bus.plug(printer);
    ASSERT_TRUE(eventually([&] { return link.isOpen(); }));
    EXPECT_EQ(link.write(bytesOf("XYZ")), 3);
    auto got = bus.received(printer);
    ASSERT_EQ(got.size(), 13u);
    EXPECT_EQ(std::string(got.end() - 3, got.end()), "XYZ");
}

TEST_F(UsbLinkTest, CloseWhileTheReconnectThreadWaitsReturnsPromptly) {
    size_t printer = bus.addDevice(FakeUsbBackend::printer(0x12EE, 0x9485));
    UsbLinkOptions o;  // the program's 500 ms poll and 30 s search
    o.writeBoundMs = 20;
    EXPECT_EQ(o.pollIntervalMs, 500u);
    EXPECT_EQ(o.reconnectBoundMs, 30000u);
    UsbLink link(bus, clock, o);
    ASSERT_EQ(link.open(), 0);
    bus.unplugAfterBytes(printer, 0);
    EXPECT_EQ(link.write(bytesOf("AB")), 0);
    ASSERT_TRUE(link.reconnectRunning());

    auto start = Steady::now();
    EXPECT_EQ(link.closePort(), 3);
    EXPECT_LT(elapsedMs(start), 250);
    EXPECT_FALSE(link.reconnectRunning());
    EXPECT_TRUE(bus.received(printer).empty());

    // Closed for good: a device coming back later is not taken behind the user's back.
    bus.plug(printer);
    std::this_thread::sleep_for(Ms(20));
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(bus.openHandles(), 0u);
}

// The write loop and the reconnect thread share the handle and flags; run under the
// sanitizer presets (and ThreadSanitizer) this shows they never race.
TEST_F(UsbLinkTest, RepeatedUnplugsWhileWritingAndPollingStayConsistent) {
    size_t printer = bus.addDevice(FakeUsbBackend::printer(0x12EE, 0x9485));
    UsbLinkOptions o = fastOptions();
    o.pollIntervalMs = 1;
    UsbLink link(bus, clock, o);
    ASSERT_EQ(link.open(), 0);

    std::atomic<bool> done{false};
    std::atomic<int> observed{0};
    std::thread watcher([&] {
        while (!done) {
            observed +=
                link.isOpen() + link.searching() + link.reconnected() + link.reconnectRunning();
            std::this_thread::yield();
        }
    });

    std::vector<uint8_t> expected;
    size_t sent = 0;
    for (size_t round = 0; round < 25; ++round) {
        auto data = pattern(1500 + round * 97);
        bus.unplugAfterBytes(printer, sent + 1 + (round * 389) % data.size());
        bus.replugAfterEnumerations(printer, 1 + round % 3);
        bus.queueInput(printer, bytesOf("ok"));
        EXPECT_EQ(link.write(data), 0) << "round " << round;
        uint8_t buf[8];
        link.read(buf);
        expected.insert(expected.end(), data.begin(), data.end());
        sent += data.size();
    }
    done = true;
    watcher.join();
    EXPECT_EQ(bus.received(printer), expected);
    EXPECT_EQ(link.closePort(), 0);
    EXPECT_EQ(bus.openHandles(), 0u);
}

}  // namespace
}  // namespace setrion
