#pragma once
#include <filesystem>
#include <string>
#include <string_view>

#include "fonts/font_job.h"

namespace setrion::fonts {

// A job text, or the message that stops the download (caption kFontErrorCaption).
struct JobText {
    std::string text;
    std::string error;  // empty on success
    bool ok() const { return error.empty(); }
};

// Reads the TrueType file, checks its font header and builds its job. A file that cannot be
// read gives "<path> file is not exist"; one past the size limit "Font file is too large.";
// a device, FIFO or folder "<path>: not a regular file"; an empty file, one that is no
// TrueType/OpenType font, or a truncated one says so after "<path>: ".
JobText makeFontJob(const std::filesystem::path& fontPath, std::string_view fileName,
                    int fontId, TargetMemory memory);

// Reads a kept job file back for sending: "<path> file is not exist" when it cannot be
// opened, "Read file size error" when fewer bytes arrive than its size.
JobText readKeptJob(const std::filesystem::path& keptPath);

}  // namespace setrion::fonts
