#pragma once
// Secrets given without the command line, where every local user could read them (ps): a
// file named by an option ("-" for stdin) or an environment variable.
#include <CLI/CLI.hpp>
#include <array>
#include <cstdint>
#include <string>

#include "wifi/net/net_config.h"

namespace setrion::cli {

// Where one secret may come from.
struct SecretOption {
    std::string value;     // --NAME VALUE (seen by other users; kept for scripts)
    std::string file;      // --NAME-file PATH, "-" for stdin
    const char* variable;  // the environment variable
};

// Adds --NAME and --NAME-file to `command`.
void addSecretOptions(CLI::App& command, const std::string& name, SecretOption& o,
                      const std::string& what);

// The secret: --NAME, else the file's first line (without its line end), else the
// variable, else "". Returns false with `error` set when both options are given or the file
// cannot be read.
bool readSecret(const SecretOption& o, const std::string& name, std::string& secret,
                std::string& error);

// The management key prefix: --protocol-key, its file, SETRION_PROTOCOL_KEY, else the
// default. "" on success, else the usage message.
std::string readProtocolKey(const SecretOption& o, net::ProtocolKeyPrefix& key);

// The module password (at most 10 characters): --password, its file or SETRION_PASSWORD.
// "" on success, else the usage message.
std::string readModulePassword(const SecretOption& o, std::array<uint8_t, 10>& password);

}  // namespace setrion::cli
