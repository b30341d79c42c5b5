#pragma once
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace setrion {

// Writes `data` to a temporary file beside `path`, flushes it and renames it over `path`,
// so a crash or a full disk never leaves a half-written file. Returns false on any failure
// (the temporary file is removed) and fills `error` with a readable reason.
bool writeFileAtomically(const std::filesystem::path& path, std::span<const uint8_t> data,
                         std::string* error = nullptr);
bool writeFileAtomically(const std::filesystem::path& path, std::string_view text,
                         std::string* error = nullptr);

}  // namespace setrion
