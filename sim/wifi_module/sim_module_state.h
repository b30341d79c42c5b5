#pragma once
// The simulated Wi-Fi module's settings: a command-mode module keeps every parameter as the
// value of its item (working copy and the copy stored in flash); a settings-block module
// keeps one settings record.
#include <array>
#include <cstdint>
#include <map>
#include <nlohmann/json.hpp>
#include <vector>

#include "wifi/module/parameters.h"
#include "wifi/settings/wifi_settings.h"

namespace setrion::sim {

using ParameterValues = std::map<wifi::Parameter, std::vector<uint8_t>>;

// Factory defaults of the command-mode module.
ParameterValues commandModuleDefaults();
// Factory defaults of the settings-block module (MAC from `mac`).
wifi::WifiSettings blockModuleDefaults(const std::array<uint8_t, 6>& mac);

// The settings as JSON for the state file (addresses dotted, keys in hex).
nlohmann::json commandModuleJson(const ParameterValues& values);
nlohmann::json blockModuleJson(const wifi::WifiSettings& record);

}  // namespace setrion::sim
