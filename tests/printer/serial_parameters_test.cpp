#include <gtest/gtest.h>

#include "common/trace.h"
#include "printer/serial_parameters.h"
#include "tests/printer/printer_fixture.h"

using namespace setrion;
using namespace setrion::test;

namespace {
SerialSettings settings(int baud, int dataBitsIndex, int parityIndex, int stopBitsIndex, int flowIndex) {
    SerialSettings s;
    s.baud = baud;
    s.dataBitsIndex = dataBitsIndex;
    s.parityIndex = parityIndex;
    s.stopBitsIndex = stopBitsIndex;
    s.flowIndex = flowIndex;
    return s;
}
std::vector<uint8_t> vec(const std::array<uint8_t, 9>& a) { return {a.begin(), a.end()}; }
}  // namespace

TEST(EscPosSerialRecord, PinnedLayouts) {
    EXPECT_EQ(vec(escPosSerialRecord(settings(9600, 1, 0, 0, 0))),
              hexBytes({0x1D, 0x53, 0x43, 0x01, 0x30, 0x31, 0x30, 0x31, 0x31}));
    EXPECT_EQ(vec(escPosSerialRecord(settings(115200, 0, 1, 1, 1))),
              hexBytes({0x1D, 0x53, 0x43, 0x01, 0x34, 0x30, 0x31, 0x33, 0x32}));
    EXPECT_EQ(vec(escPosSerialRecord(settings(1200, 1, 2, 0, 0)))[4], '5');
    EXPECT_EQ(vec(escPosSerialRecord(settings(57600, 1, 2, 0, 0)))[6], '2');
    // Values outside the lists leave zero bytes.
    EXPECT_EQ(vec(escPosSerialRecord(settings(300, 2, 3, 2, 2))),
              hexBytes({0x1D, 0x53, 0x43, 0x01, 0, 0, 0, 0, 0}));
}

TEST(CpclSerialLines, InOrderWithoutDataBits) {
    EXPECT_EQ(cpclSerialLines(settings(38400, 0, 2, 1, 0)),
              (std::vector<std::string>{"! U1 setvar \"comm.baud\" \"38400\"\r\n",
                                        "! U1 setvar \"comm.parity\" \"e\"\r\n",
                                        "! U1 setvar \"comm.stop_bits\" \"2\"\r\n",
                                        "! U1 setvar \"com_apply\"\r\n"}));
    EXPECT_EQ(cpclSerialLines(settings(9600, 1, 1, 0, 0))[1], "! U1 setvar \"comm.parity\" \"o\"\r\n");
    EXPECT_EQ(cpclSerialLines(settings(9600, 1, 0, 0, 0))[1], "! U1 setvar \"comm.parity\" \"n\"\r\n");
}

TEST(SaveSerialConfiguration, SendsTheDialectOfTheProbedEmulation) {
    {
        PrinterFixture p;
        p.probeAnswer = "1";
        EmulationCode e = EmulationCode::Cpcl;
        EXPECT_EQ(saveSerialConfiguration(p.exchange, e, settings(9600, 1, 0, 0, 0)), kProbeOk);
        EXPECT_EQ(e, EmulationCode::EscPos);
        ASSERT_EQ(p.link.writes().size(), 2u);
        EXPECT_EQ(p.link.writes()[1], hexBytes({0x1D, 0x53, 0x43, 0x01, 0x30, 0x31, 0x30, 0x31, 0x31}));
    }
    {
        PrinterFixture p;
        p.probeAnswer = "0";
        std::vector<std::string> traced;
        auto old = setTraceSink([&](std::string_view l) { traced.emplace_back(l); });
        EmulationCode e = EmulationCode::EscPos;
        EXPECT_EQ(saveSerialConfiguration(p.exchange, e, settings(38400, 1, 2, 1, 0)), kProbeOk);
        setTraceSink(old);
        EXPECT_EQ(e, EmulationCode::Cpcl);
        const std::vector<std::string> expected{"! U1 setvar \"comm.baud\" \"38400\"\r\n",
                                                "! U1 setvar \"comm.parity\" \"e\"\r\n",
                                                "! U1 setvar \"comm.stop_bits\" \"2\"\r\n",
                                                "! U1 setvar \"com_apply\"\r\n"};
        EXPECT_EQ(p.writesAfterProbe(), expected);
        EXPECT_EQ(traced, expected);
    }
    for (const char* answer : {"2", "3", "4", "5"}) {
        PrinterFixture p;
        p.probeAnswer = answer;
        EmulationCode e = EmulationCode::EscPos;
        EXPECT_EQ(saveSerialConfiguration(p.exchange, e, settings(9600, 1, 0, 0, 0)), kProbeOk);
        EXPECT_TRUE(p.writesAfterProbe().empty()) << answer;
    }
}

TEST(SaveSerialConfiguration, ProbeFailureSendsNothingElse) {
    PrinterFixture p;
    p.probeAnswer = "";
    EmulationCode e = EmulationCode::Zpl;
    EXPECT_EQ(saveSerialConfiguration(p.exchange, e, settings(9600, 1, 0, 0, 0)), kProbeNoResponse);
    EXPECT_EQ(p.link.writes().size(), 1u);
    EXPECT_EQ(e, EmulationCode::Zpl);
    p.link.clearWrites();
    p.probeAnswer = "7";
    EXPECT_EQ(saveSerialConfiguration(p.exchange, e, settings(9600, 1, 0, 0, 0)), kProbeUnknownAnswer);
    EXPECT_EQ(p.link.writes().size(), 1u);
}

TEST(GetEmulation, NamesTheAnswerOrReportsUnknownOrSilence) {
    PrinterFixture p;
    EmulationCode e = EmulationCode::EscPos;
    p.probeAnswer = "2";
    auto q = getEmulation(p.exchange, e);
    EXPECT_EQ(q.result, kProbeOk);
    EXPECT_EQ(q.text, "MPCL");
    EXPECT_EQ(e, EmulationCode::Mpcl);
    EXPECT_EQ(p.link.writes()[0], hexBytes({0x1C, 0x45, 0x43}));

    p.probeAnswer = "7";
    q = getEmulation(p.exchange, e);
    EXPECT_EQ(q.text, "Unkonwn Emulation");
    EXPECT_EQ(e, EmulationCode::Mpcl);

    p.probeAnswer = std::string("xx\x00", 3);
    q = getEmulation(p.exchange, e);
    EXPECT_EQ(q.text, "CPCL");

    p.probeAnswer = "";
    q = getEmulation(p.exchange, e);
    EXPECT_EQ(q.result, kProbeNoResponse);
    EXPECT_EQ(e, EmulationCode::Cpcl);
}

TEST(SwitchEmulation, RecordAndCode) {
    PrinterFixture p;
    EmulationCode e = EmulationCode::EscPos;
    switchEmulation(p.exchange, e, true);
    EXPECT_EQ(e, EmulationCode::Cpcl);
    switchEmulation(p.exchange, e, false);
    EXPECT_EQ(e, EmulationCode::EscPos);
    ASSERT_EQ(p.link.writes().size(), 2u);  // no probe
    EXPECT_EQ(p.link.writes()[0], hexBytes({0x1C, 0x45, 0x53, 0x00}));
    EXPECT_EQ(p.link.writes()[1], hexBytes({0x1C, 0x45, 0x53, 0x01}));
}
