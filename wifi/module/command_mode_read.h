#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "wifi/module/module_connection.h"
#include "wifi/module/sequence_result.h"
#include "wifi/module/wlan_options.h"
#include "wifi/settings/wifi_settings.h"

namespace setrion::wifi {

// WEP keys of one size as read: per key slot the key bytes and their upper-case hex text.
struct WepKeyStore {
    std::array<std::vector<uint8_t>, 4> bytes;
    std::array<std::string, 4> hex;
    void clear();
};

// What the read of a command-mode module yields; the save reuses the stores.
struct CommandModeSettings {
    Octets ip{}, netmask{}, gateway{}, dns{};
    std::string ssid;
    WlanOptionsValue options;
    WepKeyStore wep40, wep104;
    std::string passphrase;  // up to 64 characters
    std::array<uint8_t, 20> tcpIpPortGroup{};
    uint16_t tcpPort = 0;
    int encryptionCapability = 0;  // 1 WEP only, 2 WEP and WPA
    bool dhcp = false;
    std::string macText;  // "%02x:%02x:%02x:%02x:%02x:%02x"
};

// The steps of the read, in order.
enum class ReadStep : int {
    IpAddress = 1, SubnetMask, Gateway, Dns, Ssid, WlanOptions, WepKeys40, WepKeys104, WpaKey,
    WpaKeyExtended, TcpIpPort, WpaPsk, TcpActiveOptions, ModuleInfo,
};

// Called after each step that succeeded, with the values so far and the progress bar
// position the step sets (-1: the step does not move it). A dialog applies the step's
// values to its controls here, so a failed read leaves the earlier steps shown.
using ReadStepSink =
    std::function<void(ReadStep step, const CommandModeSettings& values, int progress)>;

inline constexpr const char* kReadCompletedText = "Read Completed !!!";
inline constexpr const char* kReadCompletedTitle = "Read Wi-Fi information";

// Reads the module parameter by parameter. Stops at the first failing step with its
// message (caption "ERROR"). `values` keeps what the steps before the failure read.
SequenceResult readCommandModeSettings(ModuleConnection& conn, CommandModeSettings& values,
                                       const ReadStepSink& sink = {});

}  // namespace setrion::wifi
