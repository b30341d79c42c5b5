// Any settings file is judged without a crash; an accepted one passes the same validation
// again, and any device text printed as JSON reads back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <nlohmann/json.hpp>

#include "common/device_text.h"
#include "common/hex.h"
#include "wifi/settings/profile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    setrion::wifi::ProfileResult r = setrion::wifi::parseJsonProfile(text);
    if (r.ok() && setrion::wifi::validatePatch(*r.patch)) std::abort();

    nlohmann::json j = {{"ssid", text}};
    setrion::applyDeviceTextRule(j);
    auto back = nlohmann::json::parse(j.dump());
    std::string bytes = back.contains("ssid_hex")
                            ? [&] {
                                  auto b = setrion::decodeHexSkipping(back["ssid_hex"].get<std::string>());
                                  return std::string(b.begin(), b.end());
                              }()
                            : back["ssid"].get<std::string>();
    if (bytes != text) std::abort();
    for (char c : setrion::terminalText(text))
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) std::abort();
    return 0;
}
