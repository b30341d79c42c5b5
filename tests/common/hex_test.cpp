#include "common/hex.h"

#include <gtest/gtest.h>

using setrion::decodeHexSkipping;
using setrion::toHex;

TEST(Hex, EncodesUpperCaseWithOptionalSeparator) {
    std::vector<uint8_t> b{0x00, 0x0A, 0xFF, 0x3c};
    EXPECT_EQ(toHex(b), "000AFF3C");
    EXPECT_EQ(toHex(b, " "), "00 0A FF 3C ");
    EXPECT_EQ(toHex({}), "");
}

TEST(Hex, SkippingDecoderIgnoresNonDigitsAndPairsTheRest) {
    EXPECT_EQ(decodeHexSkipping("01 0a FF"), (std::vector<uint8_t>{0x01, 0x0A, 0xFF}));
    EXPECT_EQ(decodeHexSkipping("0-1:g2z3"), (std::vector<uint8_t>{0x01, 0x23}));
    EXPECT_EQ(decodeHexSkipping("ABC"), (std::vector<uint8_t>{0xAB}));  // lone digit dropped
    EXPECT_TRUE(decodeHexSkipping("xyz \r\n").empty());
}
