#include "gui/session_options.h"

#include <array>
#include <charconv>
#include <map>

#include "app/startup.h"
#include "wifi/net/net_types.h"

namespace setrion::gui {
namespace {

struct OptionInfo {
    const char* name;
    const char* value;  // nullptr for a flag
    const char* help;
};

const std::array<OptionInfo, 12> kOptions{{
    {"map", "COMn=PATH", "Map a port name to a device: COMn=PATH (repeatable)."},
    {"wifi-ini", "PATH", "The Wi-Fi dialog's INI file (default .\\Tessun_WIFI.ini)."},
    {"trace", nullptr, "Write diagnostic trace lines to stderr."},
    {"broadcast", "IP",
     "Broadcast address of the network search and save (default 255.255.255.255)."},
    {"mgmt-port", "PORT", "The modules' management port (default 50005)."},
    {"mgmt-local-port", "PORT", "Management port bound here (default: --mgmt-port)."},
    {"text-port", "PORT", "The printers' text-frame port (default 61001)."},
    {"text-local-port", "PORT", "Text-frame port bound here (default: --text-port)."},
    {"protocol-key", "HEX", "Management key prefix, 28 hex digits (or SETRION_PROTOCOL_KEY)."},
    {"all-interfaces", nullptr, "Also search on every interface's broadcast address."},
    {"help", nullptr, "Displays help on commandline options."},
    {"version", nullptr, "Displays version information."},
}};

const OptionInfo* findOption(std::string_view name) {
    for (const OptionInfo& o : kOptions)
        if (name == o.name) return &o;
    return nullptr;
}

std::string readPort(const OptionValue& value, const char* name, uint16_t fallback, uint16_t& out) {
    const std::optional<std::string> text = value(name);
    if (!text) {
        out = fallback;
        return {};
    }
    unsigned v = 0;
    const char* end = text->data() + text->size();
    const auto [ptr, ec] = std::from_chars(text->data(), end, v);
    if (ec != std::errc() || ptr != end || v == 0 || v > 65535)
        return std::string("--") + name + ": not a port number: " + *text;
    out = static_cast<uint16_t>(v);
    return {};
}

}  // namespace

std::string readNetConfig(const OptionValue& value, bool allInterfaces, net::NetConfig& c) {
    const std::string broadcast = value("broadcast").value_or("255.255.255.255");
    auto ip = net::parseIpv4(broadcast);
    if (!ip) return "--broadcast: not an IPv4 address: " + broadcast;
    c.broadcast = *ip;
    if (std::string why = readPort(value, "mgmt-port", net::kDefaultManagementPort, c.mgmtPort);
        !why.empty())
        return why;
    if (std::string why = readPort(value, "text-port", net::kDefaultTextPort, c.textPort);
        !why.empty())
        return why;
    if (std::string why = readPort(value, "mgmt-local-port", c.mgmtPort, c.mgmtLocalPort);
        !why.empty())
        return why;
    if (std::string why = readPort(value, "text-local-port", c.textPort, c.textLocalPort);
        !why.empty())
        return why;
    std::string envError;
    c.protocolKey = net::protocolKeyFromEnvironment(&envError);
    if (!envError.empty()) return envError;
    if (auto hex = value("protocol-key")) {
        auto key = net::parseProtocolKey(*hex);
        if (!key) return "--protocol-key must be 28 hexadecimal digits";
        c.protocolKey = *key;
    }
    c.allInterfaces = allInterfaces;
    return {};
}

std::string parseSessionOptions(const std::vector<std::string>& args, SessionOptions& options) {
    std::map<std::string, std::string, std::less<>> values;
    bool allInterfaces = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (app::isAutomationStart({a})) {
            options.startupArgs.push_back(a);
            continue;
        }
        if (a.rfind("--", 0) != 0) return "unknown argument: " + a;
        const size_t eq = a.find('=');
        const std::string name = a.substr(2, eq == std::string::npos ? std::string::npos : eq - 2);
        const OptionInfo* info = findOption(name);
        if (info == nullptr) return "unknown option: " + a;
        if (info->value == nullptr) {
            if (eq != std::string::npos) return "--" + name + " takes no value";
            if (name == "trace") options.trace = true;
            if (name == "help") options.help = true;
            if (name == "version") options.version = true;
            if (name == "all-interfaces") allInterfaces = true;
            continue;
        }
        std::string value;
        if (eq != std::string::npos) {
            value = a.substr(eq + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            return "--" + name + " needs a value";
        }
        if (name == "map") {
            options.mappings.push_back(value);
        } else if (name == "wifi-ini") {
            options.wifiIni = value;
        } else {
            values[name] = value;
        }
    }
    return readNetConfig(
        [&](std::string_view name) -> std::optional<std::string> {
            auto it = values.find(name);
            return it == values.end() ? std::nullopt : std::optional<std::string>(it->second);
        },
        allInterfaces, options.net);
}

std::string sessionHelpText() {
    std::string text =
        "Usage: setrion [options]\nConfigures Qx7 printers and their Wi-Fi module.\n\nOptions:\n";
    for (const OptionInfo& o : kOptions) {
        std::string left = std::string("  --") + o.name;
        if (o.value != nullptr) left += std::string(" <") + o.value + ">";
        if (left.size() < 28)
            left.resize(28, ' ');
        else
            left += "  ";
        text += left + o.help + "\n";
    }
    return text;
}

}  // namespace setrion::gui
