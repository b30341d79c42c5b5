#include "cli/secret_input.h"

#include <cstdlib>
#include <fstream>
#include <iostream>

namespace setrion::cli {

void addSecretOptions(CLI::App& command, const std::string& name, SecretOption& o,
                      const std::string& what) {
    command.add_option(
        "--" + name, o.value,
        what + " (seen by other users: prefer --" + name + "-file or " + o.variable + ")");
    command.add_option("--" + name + "-file", o.file,
                       what + ": the first line of this file, - for stdin");
}

bool readSecret(const SecretOption& o, const std::string& name, std::string& secret,
                std::string& error) {
    if (!o.value.empty() && !o.file.empty()) {
        error = "--" + name + " and --" + name + "-file: give one of them";
        return false;
    }
    if (!o.value.empty()) {
        secret = o.value;
        return true;
    }
    if (!o.file.empty()) {
        std::ifstream file;
        if (o.file != "-") {
            file.open(o.file, std::ios::binary);
            if (!file) {
                error = "--" + name + "-file: cannot read " + o.file;
                return false;
            }
        }
        std::istream& in = o.file == "-" ? std::cin : file;
        std::string line;
        // A secret is short: a longer first line is no secret of ours and is not read whole.
        constexpr std::size_t kLongest = 4096;
        char c = 0;
        while (line.size() <= kLongest && in.get(c) && c != '\n') line.push_back(c);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > kLongest) {
            error = "--" + name + "-file: the first line is too long";
            return false;
        }
        secret = line;
        return true;
    }
    const char* env = std::getenv(o.variable);
    secret = env ? env : "";
    return true;
}

std::string readProtocolKey(const SecretOption& o, net::ProtocolKeyPrefix& key) {
    std::string text;
    std::string error;
    if (!readSecret(o, "protocol-key", text, error)) return error;
    key = net::kDefaultProtocolKeyPrefix;
    if (text.empty()) return {};
    auto parsed = net::parseProtocolKey(text);
    if (!parsed)
        return o.value.empty() && o.file.empty()
                   ? "SETRION_PROTOCOL_KEY must be 28 hexadecimal digits"
                   : "--protocol-key must be 28 hexadecimal digits";
    key = *parsed;
    return {};
}

std::string readModulePassword(const SecretOption& o, std::array<uint8_t, 10>& password) {
    std::string text;
    std::string error;
    if (!readSecret(o, "password", text, error)) return error;
    if (text.size() > password.size()) return "--password: at most 10 characters";
    password.fill(0);
    std::copy(text.begin(), text.end(), password.begin());
    return {};
}

}  // namespace setrion::cli
