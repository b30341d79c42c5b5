#include <gtest/gtest.h>

#include "printer/device_settings.h"
#include "tests/printer/printer_fixture.h"

using namespace setrion;
using namespace setrion::test;

namespace {
template <size_t N>
std::vector<uint8_t> vec(const std::array<uint8_t, N>& a) { return {a.begin(), a.end()}; }
}  // namespace

TEST(PowerSave, CommandAndConfirmations) {
    EXPECT_EQ(vec(powerSaveCommand(PowerSaveMode::PowerOff, 30)), hexBytes({0x1D, 0x53, 0x50, 0x01, 0x1E}));
    EXPECT_EQ(vec(powerSaveCommand(PowerSaveMode::PowerSave, 0x1FF)), hexBytes({0x1D, 0x53, 0x50, 0x02, 0xFF}));
    EXPECT_EQ(powerSaveConfirmation(PowerSaveMode::PowerOff, 30), "The printer power will be off after 30 minute.");
    EXPECT_EQ(powerSaveConfirmation(PowerSaveMode::PowerOff, 5), "The printer power will be off after 5 minute.");
    EXPECT_EQ(powerSaveConfirmation(PowerSaveMode::PowerSave, 7),
              "The printer goes into power save mode after 7 minute.");
    EXPECT_EQ(powerSaveConfirmation(PowerSaveMode::None, 7), "Printer does not support the power save mode.");
    EXPECT_EQ(parsePowerSaveMinutes("30"), 30);
    EXPECT_EQ(parsePowerSaveMinutes("?"), 0);
    EXPECT_EQ(parsePowerSaveMinutes(""), 0);
    EXPECT_EQ(parsePowerSaveMinutes("5x"), 5);
}

TEST(PowerSave, SentWhateverTheEmulationAfterTheProbe) {
    for (const char* answer : {"0", "1", "3"}) {
        PrinterFixture p;
        p.probeAnswer = answer;
        EmulationCode e = EmulationCode::EscPos;
        EXPECT_EQ(savePowerSave(p.exchange, e, PowerSaveMode::PowerOff, 30), kProbeOk);
        ASSERT_EQ(p.link.writes().size(), 2u);
        EXPECT_EQ(p.link.writes()[1], hexBytes({0x1D, 0x53, 0x50, 0x01, 0x1E}));
    }
}

TEST(CodePage, TableCommandAndPause) {
    EXPECT_EQ(codePageNames()[0], std::string("CP_437"));
    EXPECT_EQ(codePageNames()[21], std::string("THAI TIS-14"));
    EXPECT_EQ(codePageNames()[24], std::string("CP_1257"));
    EXPECT_EQ(codePageIndex("WINDOWS_1251"), 20);
    EXPECT_EQ(codePageIndex("windows_1251"), std::nullopt);
    EXPECT_EQ(codePageConfirmation(20), "Code Page changed to WINDOWS_1251.");

    PrinterFixture p;
    const uint64_t before = p.clock.nowMs();
    EXPECT_TRUE(saveCodePage(p.exchange, 20));
    EXPECT_EQ(p.link.writes().size(), 1u);  // no probe
    EXPECT_EQ(p.link.writes()[0], hexBytes({0x1C, 0x45, 0x50, 0x14}));
    EXPECT_EQ(p.clock.nowMs() - before, 100u);
    EXPECT_FALSE(saveCodePage(p.exchange, 25));
    EXPECT_EQ(p.link.writes().size(), 1u);
}

TEST(CodePage, SampleIsTheFirst172BytesOfEightRows) {
    const auto s = codePageSample();
    ASSERT_EQ(s.size(), 172u);
    const auto firstRow = hexBytes({0x0D, 0x0A, 0x0D, 0x0A, 0x20, 0x80, 0x81, 0x82, 0x83, 0x84, 0x85,
                                    0x86, 0x87, 0x88, 0x89, 0x8A, 0x8B, 0x8C, 0x8D, 0x8E, 0x8F, 0x20});
    EXPECT_EQ(std::vector<uint8_t>(s.begin(), s.begin() + 22), firstRow);
    EXPECT_EQ(std::vector<uint8_t>(s.begin() + 22, s.begin() + 28), hexBytes({0x0D, 0x0A, 0x0D, 0x0A, 0x20, 0x90}));
    EXPECT_EQ(std::vector<uint8_t>(s.end() - 4, s.end()), hexBytes({0xF9, 0xFA, 0xFB, 0xFC}));
    PrinterFixture p;
    printCodePage(p.exchange);
    ASSERT_EQ(p.link.writes().size(), 1u);
    EXPECT_EQ(p.link.writes()[0], s);
}

TEST(Density, CommandNamesAndConfirmation) {
    EXPECT_EQ(vec(densityCommand(0)),
              hexBytes({'#', '#', 'D', 'E', 'N', 'S', 'I', 'T', 'Y', 0x01, 0x00}));
    EXPECT_EQ(vec(densityCommand(4))[9], 0x05);
    EXPECT_EQ(densityNames()[2], std::string("DENSITY [+1]"));
    EXPECT_EQ(densityIndex("DENSITY [-1]"), 0);
    EXPECT_EQ(densityConfirmation(0), "Printer Density changed to DENSITY [-1].");
    PrinterFixture p;
    EXPECT_TRUE(saveDensity(p.exchange, 0));
    EXPECT_FALSE(saveDensity(p.exchange, 5));
    EXPECT_EQ(p.link.writes().size(), 1u);
}

TEST(MediaSensing, OnlyCpclGetsTheLine) {
    PrinterFixture p;
    p.probeAnswer = "0";
    EmulationCode e = EmulationCode::EscPos;
    EXPECT_EQ(setMediaSensing(p.exchange, e, true), kProbeOk);
    EXPECT_EQ(setMediaSensing(p.exchange, e, false), kProbeOk);
    EXPECT_EQ(text(p.link.writes()[1]), "! U1 setvar \"media.sense_mode\" \"gap\"\r\n");
    EXPECT_EQ(text(p.link.writes()[3]), "! U1 setvar \"media.sense_mode\" \"bar\"\r\n");
    p.link.clearWrites();
    p.probeAnswer = "1";
    EXPECT_EQ(setMediaSensing(p.exchange, e, true), kProbeOk);
    EXPECT_EQ(p.link.writes().size(), 1u);
}
