#include "common/crc16.h"

#include <gtest/gtest.h>

#include <string_view>

using setrion::crc16;

namespace {
uint16_t crcOf(std::string_view s) {
    return crc16({reinterpret_cast<const uint8_t*>(s.data()), s.size()});
}
}  // namespace

TEST(Crc16, KnownValues) {
    EXPECT_EQ(crcOf("123456789"), 0xE5CC);
    EXPECT_EQ(crcOf("abc"), 0x8CDA);
    EXPECT_EQ(crcOf(""), 0x1D0F);
}

TEST(Crc16, ChainsAcrossSplitInput) {
    std::string_view all = "123456789";
    uint16_t first = crcOf(all.substr(0, 4));
    auto rest = all.substr(4);
    EXPECT_EQ(crc16({reinterpret_cast<const uint8_t*>(rest.data()), rest.size()}, first), 0xE5CC);
}
