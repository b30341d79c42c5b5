#pragma once
#include <array>
#include <cstdint>
#include <span>

namespace setrion {

// RC4 stream cipher with the standard key schedule; no keystream bytes are dropped.
class Rc4 {
public:
    explicit Rc4(std::span<const uint8_t> key);
    // XORs the keystream into data in place (enciphers and deciphers alike).
    void apply(std::span<uint8_t> data);

private:
    std::array<uint8_t, 256> m_s{};
    uint8_t m_i = 0;
    uint8_t m_j = 0;
};

}  // namespace setrion
