// The WPA key derivation on Windows CNG, where OpenSSL is not part of the build.
// windows.h (winsock2.h) first: the other headers rely on its types.
// clang-format off
#include <windows.h>
#include <bcrypt.h>
// clang-format on

#include <stdexcept>

#include "common/wpa_psk.h"

namespace setrion {
namespace {

// The SHA-1 HMAC provider, opened once for the process (CNG providers are thread-safe).
BCRYPT_ALG_HANDLE hmacSha1() {
    static const BCRYPT_ALG_HANDLE provider = [] {
        BCRYPT_ALG_HANDLE h = nullptr;
        if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&h, BCRYPT_SHA1_ALGORITHM, nullptr,
                                                        BCRYPT_ALG_HANDLE_HMAC_FLAG)))
            h = nullptr;
        return h;
    }();
    return provider;
}

}  // namespace

WpaPsk deriveWpaPsk(std::string_view passphrase, std::string_view ssid) {
    WpaPsk psk{};
    BCRYPT_ALG_HANDLE provider = hmacSha1();
    // CNG does not read a null password pointer as an empty password.
    static UCHAR empty = 0;
    auto bytes = [](std::string_view s) {
        return s.empty() ? &empty : reinterpret_cast<PUCHAR>(const_cast<char*>(s.data()));
    };
    if (!provider ||
        !BCRYPT_SUCCESS(BCryptDeriveKeyPBKDF2(
            provider, bytes(passphrase), static_cast<ULONG>(passphrase.size()), bytes(ssid),
            static_cast<ULONG>(ssid.size()), 4096, psk.data(), static_cast<ULONG>(psk.size()), 0)))
        throw std::runtime_error("the system cannot derive the WPA key (CNG PBKDF2 failed)");
    return psk;
}

}  // namespace setrion
