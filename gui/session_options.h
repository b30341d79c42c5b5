#pragma once
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "wifi/net/net_config.h"

namespace setrion::gui {

// The LAN options' values by name ("broadcast", "mgmt-port", ...), nullopt when not given.
using OptionValue = std::function<std::optional<std::string>(std::string_view name)>;

// The network configuration from the LAN options and SETRION_PROTOCOL_KEY; an error text,
// empty when every value is good. Both hosts read their LAN options through it.
std::string readNetConfig(const OptionValue& value, bool allInterfaces, net::NetConfig& config);

// The desktop program's command line, for a host without a parser of its own.
struct SessionOptions {
    std::vector<std::string> mappings;  // --map COMn=PATH, in order
    std::optional<std::string> wifiIni;
    bool trace = false;
    bool help = false;
    bool version = false;
    net::NetConfig net;
    std::vector<std::string> startupArgs;  // the program name and the automation switches
};

// Reads the arguments after the program name; an error text, empty when all are good.
// Options take their value as "--name value" or "--name=value".
std::string parseSessionOptions(const std::vector<std::string>& args, SessionOptions& options);
// The text of --help.
std::string sessionHelpText();

}  // namespace setrion::gui
