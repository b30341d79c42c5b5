#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fonts/font_job.h"

namespace setrion::fonts {

// A download job as the printer understands it.
struct ReceivedFont {
    int fontId = 0;
    TargetMemory memory = TargetMemory::Ram;
    std::string name;  // the name field up to its first zero byte
    std::vector<uint8_t> data;
};

// Reads one complete job text (from "{W," to the closing "}") and checks its framing, the
// header fields against each other and against the data, and the hexadecimal data lines.
// Returns nullopt with a short reason in `error` when anything is off.
std::optional<ReceivedFont> readFontJob(std::string_view job, std::string* error = nullptr);

}  // namespace setrion::fonts
