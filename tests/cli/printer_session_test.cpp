#include "cli/printer_session.h"

#include <gtest/gtest.h>

#include <sstream>

#include "common/trace.h"
#include "tests/link/pty_pair.h"

namespace setrion::cli {
namespace {

struct Ctx {
    std::ostringstream out, err;
    CommandContext ctx;
    Ctx() {
        ctx.out = &out;
        ctx.err = &err;
    }
};

TEST(PrinterSession, LineSettingsBecomeListPositions) {
    GlobalOptions o;
    auto s = serialSettingsFrom(o);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->baud, 19200);
    EXPECT_EQ(s->parityIndex, 0);
    EXPECT_EQ(s->dataBitsIndex, 1);
    EXPECT_EQ(s->stopBitsIndex, 0);
    EXPECT_EQ(s->flowIndex, 0);

    o.baud = 9600;
    o.parity = "even";
    o.dataBits = 7;
    o.stopBits = 2;
    o.flow = "rts-cts";
    s = serialSettingsFrom(o);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->parityIndex, 2);
    EXPECT_EQ(s->dataBitsIndex, 0);
    EXPECT_EQ(s->stopBitsIndex, 1);
    EXPECT_EQ(s->flowIndex, 2);
    o.flow = "xon-xoff";
    o.parity = "odd";
    EXPECT_EQ(serialSettingsFrom(o)->flowIndex, 1);
    EXPECT_EQ(serialSettingsFrom(o)->parityIndex, 1);

    o.baud = 300;
    std::string why;
    EXPECT_FALSE(serialSettingsFrom(o, &why));
    EXPECT_NE(why, "");
}

TEST(PrinterSession, MissingDeviceIsADeviceFailureWithTheProgramsMessage) {
    Ctx c;
    c.ctx.options.port = "/dev/setrion-no-such-port";
    EXPECT_FALSE(PrinterSession::open(c.ctx));
    EXPECT_EQ(c.ctx.exitCode, kExitDevice);
    EXPECT_EQ(c.err.str(), "Serial Port Open Failed\nno such device: /dev/setrion-no-such-port\n");
}

TEST(PrinterSession, MappedComPortOpensTheMappedDevice) {
    test::PtyPair pty;
    Ctx c;
    c.ctx.options.port = "COM4";
    c.ctx.options.maps = {"COM4=" + pty.slavePath()};
    auto session = PrinterSession::open(c.ctx);
    ASSERT_TRUE(session);
    EXPECT_EQ(c.ctx.exitCode, kExitOk);
    EXPECT_TRUE(session->links().current()->isOpen());
    EXPECT_FALSE(session->isUsb());
}

TEST(PrinterSession, BadMappingOrPortNameIsAUsageError) {
    Ctx c;
    c.ctx.options.maps = {"COM4"};
    EXPECT_FALSE(PrinterSession::open(c.ctx));
    EXPECT_EQ(c.ctx.exitCode, kExitUsage);

    Ctx d;
    d.ctx.options.port = "COM12";
    EXPECT_FALSE(PrinterSession::open(d.ctx));
    EXPECT_EQ(d.ctx.exitCode, kExitUsage);
}

// The queue a CUPS serial backend would have for the pty's device.
std::vector<SpoolerQueue> queueOn(const std::string& device) {
    return {{"office", "ipp://printserver/printers/office"},
            {"labels", "serial:" + device + "?baud=19200", "Generic Label Printer"}};
}

TEST(PrinterSessionDriverCheck, QueueOnTheDeviceRefusesThePortWithTheProgramsMessage) {
    test::PtyPair pty;
    FixedSpooler spooler(queueOn(pty.slavePath()));
    Ctx c;
    c.ctx.options.port = "COM4";
    c.ctx.options.maps = {"COM4=" + pty.slavePath()};  // checked by the device it maps to
    EXPECT_FALSE(PrinterSession::open(c.ctx, systemClock(), PortCheck{&spooler}));
    EXPECT_EQ(c.ctx.exitCode, kExitDevice);
    const std::string uri = "serial:" + pty.slavePath() + "?baud=19200";
    EXPECT_EQ(c.err.str(), "The port(" + uri + ") is already occupied in windows printer "
                           "driver(labels).\n\nSo, please change your printer driver port from " +
                               uri + " to other port\n\nand execute again.\n");
    EXPECT_EQ(spooler.calls(), 1);
    EXPECT_TRUE(pty.readFromHost(1, 100).empty());  // nothing was sent
}

TEST(PrinterSessionDriverCheck, OtherDevicesQueuesAndNoCheckLetThePortOpen) {
    test::PtyPair pty;
    FixedSpooler elsewhere(queueOn("/dev/ttyS0"));
    Ctx c;
    c.ctx.options.port = pty.slavePath();
    auto session = PrinterSession::open(c.ctx, systemClock(), PortCheck{&elsewhere});
    ASSERT_TRUE(session);
    EXPECT_EQ(c.ctx.exitCode, kExitOk);
    EXPECT_EQ(c.err.str(), "");
    EXPECT_EQ(elsewhere.calls(), 1);
    session.reset();

    // Without a spooler in the check nothing is asked, even a queue on the device.
    FixedSpooler onDevice(queueOn(pty.slavePath()));
    Ctx d;
    d.ctx.options.port = pty.slavePath();
    EXPECT_TRUE(PrinterSession::open(d.ctx));
    EXPECT_EQ(onDevice.calls(), 0);
}

TEST(PrinterSessionDriverCheck, FailedEnumerationIsReportedAndTheOpeningGoesOn) {
    test::PtyPair pty;
    FixedSpooler failing(std::nullopt);
    Ctx c;
    c.ctx.options.port = pty.slavePath();
    auto session = PrinterSession::open(c.ctx, systemClock(), PortCheck{&failing});
    ASSERT_TRUE(session);
    EXPECT_TRUE(session->links().current()->isOpen());
    EXPECT_EQ(c.ctx.exitCode, kExitOk);
    EXPECT_EQ(c.err.str(), "EnumPrinters() failed\n");
}

TEST(PrinterSessionDriverCheck, ConflictIsTracedOnlyWhenAsked) {
    test::PtyPair pty;
    FixedSpooler spooler(queueOn(pty.slavePath()));
    std::vector<std::string> lines;
    TraceSink previous = setTraceSink([&](std::string_view l) { lines.emplace_back(l); });
    Ctx c;
    c.ctx.options.port = pty.slavePath();
    EXPECT_FALSE(PrinterSession::open(c.ctx, systemClock(), PortCheck{&spooler}));
    EXPECT_TRUE(lines.empty());
    Ctx d;
    d.ctx.options.port = pty.slavePath();
    EXPECT_FALSE(PrinterSession::open(d.ctx, systemClock(), PortCheck{&spooler, true}));
    setTraceSink(previous);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "PrinterName = labels PortName=serial:" + pty.slavePath() +
                            "?baud=19200 DriverName=Generic Label Printer");
}

}  // namespace
}  // namespace setrion::cli
