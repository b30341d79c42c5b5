#include "printer/command_exchange.h"

#include <gtest/gtest.h>

#include "common/trace.h"
#include "tests/support/scripted_link.h"

namespace setrion {
namespace {

using test::bytes;
using test::ScriptedLink;

class CommandExchangeTest : public ::testing::Test {
protected:
    ScriptedLink serial;
    ScriptedLink usb;
    LinkPair links{&serial, &usb, LinkKind::Serial};
    ManualClock clock;
    CommandExchange exchange{links, clock};
    EmulationCode emulation = EmulationCode::Dpl;

    void answerProbeWith(std::string_view answer) {
        serial.setResponder([answer = std::string(answer)](ScriptedLink& l, auto) {
            l.queueRead(answer);
        });
    }
};

TEST_F(CommandExchangeTest, ProbeSendsFsECAndMapsTheAnswer) {
    answerProbeWith("0");
    ASSERT_EQ(exchange.probeEmulation(emulation), kProbeOk);
    EXPECT_EQ(serial.allWritten(), (std::vector<uint8_t>{0x1C, 0x45, 0x43}));
    EXPECT_EQ(emulation, EmulationCode::Cpcl);

    answerProbeWith("1");
    ASSERT_EQ(exchange.probeEmulation(emulation), kProbeOk);
    EXPECT_EQ(emulation, EmulationCode::EscPos);

    answerProbeWith("xy3");  // only the last byte counts
    ASSERT_EQ(exchange.probeEmulation(emulation), kProbeOk);
    EXPECT_EQ(emulation, EmulationCode::Zpl);
}

TEST_F(CommandExchangeTest, ProbeByteTableCoversTwelveBytes) {
    const std::pair<uint8_t, EmulationCode> table[] = {
        {0x01, EmulationCode::EscPos}, {'1', EmulationCode::EscPos},
        {0x00, EmulationCode::Cpcl},   {'0', EmulationCode::Cpcl},
        {0x02, EmulationCode::Mpcl},   {'2', EmulationCode::Mpcl},
        {0x03, EmulationCode::Zpl},    {'3', EmulationCode::Zpl},
        {0x04, EmulationCode::Epl},    {'4', EmulationCode::Epl},
        {0x05, EmulationCode::Dpl},    {'5', EmulationCode::Dpl}};
    for (auto [b, code] : table) EXPECT_EQ(emulationFromProbeByte(b), code) << int(b);
    for (int b : {0x06, int('6'), int('7'), int('A'), 0xFF}) EXPECT_FALSE(emulationFromProbeByte(uint8_t(b)));

    EXPECT_STREQ(emulationDisplayName(EmulationCode::EscPos), "ESC/POS");
    EXPECT_STREQ(emulationDisplayName(EmulationCode::Cpcl), "CPCL");
    EXPECT_STREQ(emulationDisplayName(EmulationCode::Mpcl), "MPCL");
    EXPECT_STREQ(emulationDisplayName(EmulationCode::Zpl), "ZPL");
    EXPECT_STREQ(emulationDisplayName(EmulationCode::Epl), "EPL");
    EXPECT_STREQ(emulationDisplayName(EmulationCode::Dpl), "DPL");
}

TEST_F(CommandExchangeTest, UnknownAnswerIsMinusTwoAndKeepsTheEmulation) {
    answerProbeWith("7");
    EXPECT_EQ(exchange.probeEmulation(emulation), kProbeUnknownAnswer);
    EXPECT_EQ(emulation, EmulationCode::Dpl);
    EXPECT_STREQ(probeFailureMessage(kProbeUnknownAnswer), "Failed to read emulation");
    EXPECT_STREQ(kProbeFailureCaption, "Error");
}

TEST_F(CommandExchangeTest, SilentPrinterGivesUpAfter201EmptyPollsTenMsApart) {
    EXPECT_EQ(exchange.probeEmulation(emulation), kProbeNoResponse);
    EXPECT_EQ(serial.readCalls(), 201);
    EXPECT_EQ(clock.sleptMs(), 2000u);
    EXPECT_EQ(emulation, EmulationCode::Dpl);
    EXPECT_STREQ(probeFailureMessage(kProbeNoResponse), "No Response in printer");
}

TEST_F(CommandExchangeTest, AnswerOnTheLastPollStillCounts) {
    for (int i = 0; i < 200; ++i) serial.queueRead(std::vector<uint8_t>{});
    serial.queueRead("2");
    EXPECT_EQ(exchange.probeEmulation(emulation), kProbeOk);
    EXPECT_EQ(emulation, EmulationCode::Mpcl);
    EXPECT_EQ(serial.readCalls(), 201);
}

TEST_F(CommandExchangeTest, LinkKindRoutesEverySendAndRead) {
    links.kind = LinkKind::Usb;
    usb.setResponder([](ScriptedLink& l, auto) { l.queueRead("4"); });
    ASSERT_EQ(exchange.probeEmulation(emulation), kProbeOk);
    EXPECT_EQ(emulation, EmulationCode::Epl);
    EXPECT_TRUE(serial.writes().empty());
    EXPECT_EQ(serial.readCalls(), 0);

    links.kind = LinkKind::None;
    EXPECT_EQ(exchange.sendLine("x"), 0);
    EXPECT_EQ(exchange.probeEmulation(emulation), kProbeNoResponse);
    EXPECT_EQ(usb.writes().size(), 1u);
}

TEST_F(CommandExchangeTest, CollectTakesTheFirstNonEmptyReadOnly) {
    serial.queueRead(std::vector<uint8_t>{});
    serial.queueRead("\"00:11:");
    serial.queueRead("22:33\"");
    auto answer = exchange.collectAnswer();
    ASSERT_TRUE(answer);
    EXPECT_EQ(test::text(*answer), "\"00:11:");
    EXPECT_EQ(clock.sleptMs(), 10u);
}

TEST_F(CommandExchangeTest, CollectIsBoundedLikeTheProbe) {
    EXPECT_FALSE(exchange.collectAnswer());
    EXPECT_EQ(serial.readCalls(), 201);
    EXPECT_EQ(clock.sleptMs(), 2000u);
}

TEST_F(CommandExchangeTest, CollectKeepsAtMost256Bytes) {
    serial.queueRead(std::vector<uint8_t>(300, 'a'));
    auto answer = exchange.collectAnswer();
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->size(), 256u);
}

TEST_F(CommandExchangeTest, SendLineWritesTheTextWithoutTerminatorAndTracesOnRequest) {
    std::vector<std::string> lines;
    auto previous = setTraceSink([&](std::string_view l) { lines.emplace_back(l); });
    exchange.sendLine("! U1 setvar \"comm.baud\" \"9600\"\r\n", true);
    exchange.sendLine("! U1 getvar \"bluetooth.address\"\r\n");
    setTraceSink(previous);
    ASSERT_EQ(serial.writes().size(), 2u);
    EXPECT_EQ(serial.writes()[0], bytes("! U1 setvar \"comm.baud\" \"9600\"\r\n"));
    EXPECT_EQ(lines, (std::vector<std::string>{"! U1 setvar \"comm.baud\" \"9600\"\r\n"}));
}

TEST(PrinterCommand, LinesHaveTheirExactForm) {
    EXPECT_EQ(printerSetvar("comm.baud", "19200"), "! U1 setvar \"comm.baud\" \"19200\"\r\n");
    EXPECT_EQ(printerGetvar("bluetooth.address"), "! U1 getvar \"bluetooth.address\"\r\n");
    EXPECT_EQ(printerSetvarNoValue("com_apply"), "! U1 setvar \"com_apply\"\r\n");
    EXPECT_EQ(printerSetvar("media.sense_mode", "bar"),
              "! U1 setvar \"media.sense_mode\" \"bar\"\r\n");
}

TEST(PrinterCommand, TooLongForTheBufferIsRefusedNotCut) {
    // 13 + 47 + 3 = 63 characters and the terminating zero fill 64 bytes exactly.
    std::string name47(47, 'n');
    ASSERT_TRUE(printerGetvar(name47));
    EXPECT_EQ(printerGetvar(name47)->size(), 63u);
    EXPECT_FALSE(printerGetvar(name47 + "n"));

    // A 40-character PIN does not fit 64 bytes but fits the 128-byte PIN buffer.
    std::string pin(40, '1');
    EXPECT_FALSE(printerSetvar("bluetooth.bluetooth_pin", pin));
    EXPECT_EQ(printerCommandBufferSize("bluetooth.bluetooth_pin"), 128u);
    EXPECT_EQ(printerCommandBufferSize("bluetooth.discoverable"), 128u);
    EXPECT_EQ(printerCommandBufferSize("comm.baud"), 64u);
    EXPECT_TRUE(printerSetvar("bluetooth.bluetooth_pin", pin, 128));
    EXPECT_FALSE(printerSetvar("bluetooth.bluetooth_pin", std::string(120, '1'), 128));
}

TEST(PrinterCommand, QuotesAndControlCharactersCannotSplitTheLine) {
    EXPECT_FALSE(printerSetvar("bluetooth.bluetooth_pin", "12\"34"));
    EXPECT_FALSE(printerSetvar("comm.baud", "9600\r\n! U1 setvar \"x\" \"y\""));
    EXPECT_FALSE(printerGetvar("a\nb"));
    EXPECT_FALSE(printerSetvarNoValue("com\"apply"));
}

TEST(AnswerValue, QuotesAreStrippedOnlyAtTheEnds) {
    EXPECT_EQ(stripQuotes("\"00:1B:2C:3D:4E:5F\""), "00:1B:2C:3D:4E:5F");
    EXPECT_EQ(stripQuotes("00:1B:2C:3D:4E:5F"), "00:1B:2C:3D:4E:5F");
    EXPECT_EQ(stripQuotes("\"\"a\"b\"\""), "a\"b");
    EXPECT_EQ(stripQuotes("\"\""), "");
    EXPECT_EQ(stripQuotes(""), "");
}

TEST(AnswerValue, OnMeansTheLettersOnAnywhere) {
    EXPECT_TRUE(answerIsOn("on"));
    EXPECT_TRUE(answerIsOn("\"on\""));
    EXPECT_TRUE(answerIsOn("xxonxx"));
    EXPECT_FALSE(answerIsOn("off"));
    EXPECT_FALSE(answerIsOn("\"off\""));
    EXPECT_FALSE(answerIsOn("ON"));
    EXPECT_FALSE(answerIsOn(""));
}

}  // namespace
}  // namespace setrion
