#include "fonts/font_job_reader.h"

#include <gtest/gtest.h>

#include <numeric>

namespace setrion::fonts {
namespace {

// The job for bytes 0..99 named "Demo.ttf", font 100 in RAM, as the printer receives it.
const std::string kDemoJob =
    "{W,100,A,R,15|\r\n"
    "H,\"0420640044656D6F000000000000000000000000000100006400000040000000\"|\r\n"
    "R,\"zzzzzzzzzv\"|\r\n"
    "H,\"000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F202122232425\"|\r\n"
    "H,\"262728292A2B2C2D2E2F303132333435363738393A3B3C3D3E3F404142434445464748494A4B\"|\r\n"
    "H,\"4C4D4E4F505152535455565758595A5B5C5D5E5F60616263\"|\r\n"
    "}";

std::string replaced(std::string s, std::string_view from, std::string_view to) {
    size_t at = s.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) s.replace(at, from.size(), to);
    return s;
}

TEST(FontJobReader, ReadsTheLiteralJob) {
    std::string why;
    auto font = readFontJob(kDemoJob, &why);
    ASSERT_TRUE(font) << why;
    EXPECT_EQ(font->fontId, 100);
    EXPECT_EQ(font->memory, TargetMemory::Ram);
    EXPECT_EQ(font->name, "Demo");
    std::vector<uint8_t> expected(100);
    std::iota(expected.begin(), expected.end(), uint8_t{0});
    EXPECT_EQ(font->data, expected);
}

TEST(FontJobReader, ReadsWhatTheBuilderMakes) {
    std::vector<uint8_t> data(1000);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7);
    auto font = readFontJob(buildFontJob(data, "ABCDEFGHIJKLMNOPQRS.ttf", 256, TargetMemory::Flash));
    ASSERT_TRUE(font);
    EXPECT_EQ(font->fontId, 256);
    EXPECT_EQ(font->memory, TargetMemory::Flash);
    EXPECT_EQ(font->name, "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(font->data, data);
    EXPECT_TRUE(readFontJob(buildFontJob({}, "e.ttf", 499, TargetMemory::Ram)));
}

TEST(FontJobReader, RejectsBrokenFraming) {
    EXPECT_FALSE(readFontJob(kDemoJob.substr(0, kDemoJob.size() - 1)));          // no brace
    EXPECT_FALSE(readFontJob(kDemoJob + "\r\n"));                                  // after brace
    EXPECT_FALSE(readFontJob(replaced(kDemoJob, "A,R,", "A,X,")));                 // memory
    EXPECT_FALSE(readFontJob(replaced(kDemoJob, "{W,100", "{W,1x0")));             // id digits
    EXPECT_FALSE(readFontJob(replaced(kDemoJob, "zzzzzzzzzv", "zzzzzzzzzz")));     // third line
    EXPECT_FALSE(readFontJob(replaced(kDemoJob, "63\"|\r\n}", "63\"|}")));        // no CR LF
}

TEST(FontJobReader, RejectsHeaderFieldsThatDisagree) {
    std::string why;
    EXPECT_FALSE(readFontJob(replaced(kDemoJob, "R,15|", "R,16|"), &why));
    EXPECT_EQ(why, "block count differs");
    EXPECT_FALSE(readFontJob(replaced(kDemoJob, "{W,100", "{W,101"), &why));
    EXPECT_EQ(why, "header font id differs");
    EXPECT_FALSE(readFontJob(replaced(kDemoJob, "6400000040000000", "6500000040000000"), &why));
    EXPECT_EQ(why, "data size differs from the header");
    EXPECT_FALSE(readFontJob(replaced(kDemoJob, "6400000040000000", "6300000040000000"), &why));
    EXPECT_EQ(why, "more data than the header size");
    EXPECT_FALSE(readFontJob(replaced(kDemoJob, "0100006400000040", "0200006400000040")));
    EXPECT_FALSE(readFontJob(replaced(kDemoJob, "{W,100", "{W,600")));  // id out of range
}

TEST(FontJobReader, RejectsBadDataLines) {
    std::string why;
    EXPECT_FALSE(readFontJob(replaced(kDemoJob, "4C4D", "4c4d"), &why));  // lower case
    EXPECT_EQ(why, "bad data digits");
    EXPECT_FALSE(readFontJob(replaced(kDemoJob, "4C4D", "4CGD")));  // not hex
    EXPECT_FALSE(readFontJob(replaced(kDemoJob, "2425\"", "242\"")));  // odd count
    // a short line before a full one
    std::string swapped = replaced(kDemoJob,
                                   "H,\"4C4D4E4F505152535455565758595A5B5C5D5E5F60616263\"|\r\n", "");
    swapped = replaced(swapped, "R,\"zzzzzzzzzv\"|\r\n",
                       "R,\"zzzzzzzzzv\"|\r\nH,\"4C4D4E4F505152535455565758595A5B5C5D5E5F60616263\"|\r\n");
    EXPECT_FALSE(readFontJob(swapped, &why));
    EXPECT_EQ(why, "data line after a short line");
}

}  // namespace
}  // namespace setrion::fonts
