#include "common/rc4.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/hex.h"

using setrion::Rc4;

namespace {
std::string keystreamHex(std::vector<uint8_t> key, size_t offset, size_t len) {
    Rc4 rc4(key);
    std::vector<uint8_t> buf(offset + len, 0);
    rc4.apply(buf);
    return setrion::toHex(std::span(buf).subspan(offset));
}
std::string encipher(std::string key, std::string plain) {
    std::vector<uint8_t> k(key.begin(), key.end()), p(plain.begin(), plain.end());
    Rc4(k).apply(p);
    return setrion::toHex(p);
}
}  // namespace

TEST(Rc4, Rfc6229FortyBitKey) {
    std::vector<uint8_t> key{0x01, 0x02, 0x03, 0x04, 0x05};
    EXPECT_EQ(keystreamHex(key, 0, 16), "B2396305F03DC027CCC3524A0A1118A8");
    EXPECT_EQ(keystreamHex(key, 16, 16), "6982944F18FC82D589C403A47A0D0919");
}

TEST(Rc4, ClassicVectors) {
    EXPECT_EQ(encipher("Key", "Plaintext"), "BBF316E8D940AF0AD3");
    EXPECT_EQ(encipher("Wiki", "pedia"), "1021BF0420");
    EXPECT_EQ(encipher("Secret", "Attack at dawn"), "45A01F645FC35B383552544B9BF5");
}

TEST(Rc4, StreamContinuesAcrossCalls) {
    std::vector<uint8_t> key{0x01, 0x02, 0x03, 0x04, 0x05};
    Rc4 rc4(key);
    std::vector<uint8_t> a(10, 0), b(22, 0);
    rc4.apply(a);
    rc4.apply(b);
    a.insert(a.end(), b.begin(), b.end());
    EXPECT_EQ(setrion::toHex(a), keystreamHex(key, 0, 32));
}
