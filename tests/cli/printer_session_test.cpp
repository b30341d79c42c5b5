#include "cli/printer_session.h"

#include <gtest/gtest.h>

#include <sstream>

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
    EXPECT_EQ(c.err.str(), "Serial Port Open Failed\n");
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

}  // namespace
}  // namespace setrion::cli
