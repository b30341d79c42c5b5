#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace setrion::fonts {

// Texts shown by the font download (caption kFontErrorCaption).
inline constexpr const char* kFontErrorCaption = "Error";
inline constexpr const char* kWriteOpenFailed = "Write Open Failed";
inline constexpr const char* kReadFileSizeError = "Read file size error";
inline constexpr const char* kFontDownloadFailed = "Font download failed.";
inline constexpr const char* kFontTooLarge = "Font file is too large.";
inline constexpr const char* kFontDownloadQuestion = "Download font to printer ?";
inline constexpr const char* kFontDownloadQuestionCaption = "Setrion";
inline constexpr const char* kFontDownloadSuccess = "Font download is success.";
// "<path> file is not exist"
std::string fileNotExistMessage(std::string_view path);
// "<path>: not a regular file" (a device such as /dev/zero, a FIFO, a folder)
std::string notRegularFileMessage(std::string_view path);

// The largest TrueType file accepted; the job's size field has 32 bits, and the printer's
// memory is far smaller.
inline constexpr uintmax_t kMaxFontFileSize = 256u * 1024u * 1024u;

enum class FileError { None, NotExist, NotRegular, TooLarge, ShortRead, SymlinkLoop };

// "<path>: a loop of symbolic links" (the name leads back to itself)
std::string symlinkLoopMessage(std::string_view path);

// Reads a whole file. NotExist when there is nothing or it cannot be opened, SymlinkLoop when
// its name is a loop of symbolic links, NotRegular for a
// device, FIFO or folder (never opened, so nothing blocks or reads for ever), TooLarge past
// kMaxFontFileSize, ShortRead when fewer bytes arrive than its size.
struct FileBytes {
    FileError error = FileError::None;
    std::vector<uint8_t> bytes;
};
FileBytes readWholeFile(const std::filesystem::path& path,
                        uintmax_t maxSize = kMaxFontFileSize);

// The name a job is kept under: the chosen name with ".tfd" added unless it contains it.
std::string keptJobFileName(std::string_view chosen);
// Why a chosen name cannot keep a job, or "": a folder's name ("dir/" would become
// "dir/.tfd") or a device, FIFO or socket (/dev/full must not become /dev/full.tfd beside it).
std::string keptJobRefusal(const std::string& chosen);

// Writes the job to a temporary file beside `path` and renames it over `path`; false (with
// a reason in `error`) when that fails.
bool keepFontJob(const std::filesystem::path& path, std::string_view job,
                 std::string* error = nullptr);

}  // namespace setrion::fonts
