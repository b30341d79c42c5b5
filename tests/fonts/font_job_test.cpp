#include "fonts/font_job.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace setrion::fonts {
namespace {

std::vector<uint8_t> counting(size_t n) {
    std::vector<uint8_t> v(n);
    std::iota(v.begin(), v.end(), uint8_t{0});
    return v;
}

std::vector<std::string> splitLines(const std::string& job) {
    std::vector<std::string> lines;
    size_t pos = 0;
    while (true) {
        size_t end = job.find("\r\n", pos);
        if (end == std::string::npos) {
            lines.push_back(job.substr(pos));
            return lines;
        }
        lines.push_back(job.substr(pos, end - pos));
        pos = end + 2;
    }
}

TEST(FontJob, HundredByteFileAsFont100InRamIsTheWholeJob) {
    std::string job = buildFontJob(counting(100), "Demo.ttf", 100, TargetMemory::Ram);
    EXPECT_EQ(job,
              "{W,100,A,R,15|\r\n"
              "H,\"0420640044656D6F00000000000000000000000000010000"
              "6400000040000000\"|\r\n"
              "R,\"zzzzzzzzzv\"|\r\n"
              "H,\"000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F202122232425\"|\r\n"
              "H,\"262728292A2B2C2D2E2F303132333435363738393A3B3C3D3E3F404142434445464748494A4B\"|\r\n"
              "H,\"4C4D4E4F505152535455565758595A5B5C5D5E5F60616263\"|\r\n"
              "}");
    auto lines = splitLines(job);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[3].size(), 76u + 5u);
    EXPECT_EQ(lines[4].size(), 76u + 5u);
    EXPECT_EQ(lines[5].size(), 48u + 5u);
    EXPECT_EQ(lines[6], "}");
}

TEST(FontJob, FirstLineCountsBlocksRoundedUpPlusEightAndNamesTheMemory) {
    EXPECT_EQ(splitLines(buildFontJob(counting(96), "a.ttf", 100, TargetMemory::Ram))[0],
              "{W,100,A,R,14|");
    EXPECT_EQ(splitLines(buildFontJob(counting(97), "a.ttf", 499, TargetMemory::Flash))[0],
              "{W,499,A,F,15|");
    EXPECT_EQ(splitLines(buildFontJob({}, "a.ttf", 123, TargetMemory::Ram))[0],
              "{W,123,A,R,8|");
}

TEST(FontJob, HeaderSwapsTheIdAndReversesTheSize) {
    std::vector<uint8_t> kilo(1000, 0x5A);
    std::string line = splitLines(buildFontJob(kilo, "Demo.ttf", 256, TargetMemory::Ram))[1];
    EXPECT_EQ(line,
              "H,\"0420000144656D6F00000000000000000000000000010000E803000040000000\"|");
    line = splitLines(buildFontJob(kilo, "Demo.ttf", 499, TargetMemory::Ram))[1];
    EXPECT_EQ(line.substr(7, 4), "F301");
}

TEST(FontJob, EmptyFileHasNoDataLines) {
    EXPECT_EQ(buildFontJob({}, "E.ttf", 100, TargetMemory::Flash),
              "{W,100,A,F,8|\r\n"
              "H,\"0420640045000000000000000000000000000000000100000000000040000000\"|\r\n"
              "R,\"zzzzzzzzzv\"|\r\n"
              "}");
}

TEST(FontJob, DataDigitsAreUpperCaseHighNibbleFirst) {
    std::vector<uint8_t> b = {0xAF, 0x0B, 0xFF, 0x10};
    auto lines = splitLines(buildFontJob(b, "x.ttf", 100, TargetMemory::Ram));
    EXPECT_EQ(lines[3], "H,\"AF0BFF10\"|");
}

TEST(FontJob, ExactMultipleOfLineLengthEndsWithAFullLine) {
    auto lines = splitLines(buildFontJob(counting(76), "x.ttf", 100, TargetMemory::Ram));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[4].size(), 81u);
    EXPECT_EQ(lines[5], "}");
}

TEST(FontJob, LengthMatchesTheBuiltJob) {
    for (size_t n : {0u, 1u, 37u, 38u, 39u, 100u, 4096u, 100000u}) {
        for (int id : {100, 499}) {
            EXPECT_EQ(fontJobLength(n, id),
                      buildFontJob(std::vector<uint8_t>(n), "f.ttf", id, TargetMemory::Ram).size())
                << n << " bytes, id " << id;
        }
    }
}

TEST(FontNameField, TakesTheNameBeforeTheExtension) {
    EXPECT_EQ(fontNameField("Demo.ttf"), "44656D6F00000000000000000000000000");
    EXPECT_EQ(fontNameField("Demo.TTF"), "44656D6F00000000000000000000000000");
    EXPECT_EQ(fontNameField("Demo.otf"), "44656D6F00000000000000000000000000");
    EXPECT_EQ(fontNameField("Demo"), "44656D6F00000000000000000000000000");
    EXPECT_EQ(fontNameOf("a.b.ttf"), "a.b");
    EXPECT_EQ(fontNameOf("a.b.TTF"), "a.b");
    EXPECT_EQ(fontNameOf("a.b.c"), "a");
    // ".ttf" is looked for before ".TTF"
    EXPECT_EQ(fontNameOf("X.TTF.ttf"), "X.TTF");
}

TEST(FontNameField, KeepsAtMostSixteenCharactersAndEndsInZero) {
    EXPECT_EQ(fontNameField("ABCDEFGHIJKLMNOPQRSTUV.ttf"), "4142434445464748494A4B4C4D4E4F5000");
    EXPECT_EQ(fontNameField("ABCDEFGHIJKLMNOP.ttf"), "4142434445464748494A4B4C4D4E4F5000");
    EXPECT_EQ(fontNameField(".ttf"), std::string(34, '0'));
}

}  // namespace
}  // namespace setrion::fonts
