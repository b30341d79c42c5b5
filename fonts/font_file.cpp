#include "fonts/font_file.h"

#include <fstream>
#include <system_error>

#include "common/atomic_file.h"
#include "common/utf8_path.h"

namespace setrion::fonts {

std::string fileNotExistMessage(std::string_view path) {
    return std::string(path) + " file is not exist";
}

std::string symlinkLoopMessage(std::string_view path) {
    return std::string(path) + ": a loop of symbolic links";
}

std::string notRegularFileMessage(std::string_view path) {
    return std::string(path) + ": not a regular file";
}

FileBytes readWholeFile(const std::filesystem::path& path, uintmax_t maxSize) {
    FileBytes out;
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (!std::filesystem::is_regular_file(status)) {
        out.error = std::filesystem::exists(status)                  ? FileError::NotRegular
                    : ec == std::errc::too_many_symbolic_link_levels ? FileError::SymlinkLoop
                                                                     : FileError::NotExist;
        return out;
    }
    uintmax_t size = std::filesystem::file_size(path, ec);
    std::ifstream in(path, std::ios::binary);
    if (ec || !in) {
        out.error = FileError::NotExist;
        return out;
    }
    if (size > maxSize) {
        out.error = FileError::TooLarge;
        return out;
    }
    out.bytes.resize(static_cast<size_t>(size));
    in.read(reinterpret_cast<char*>(out.bytes.data()), static_cast<std::streamsize>(size));
    if (static_cast<uintmax_t>(in.gcount()) != size) {
        out.error = FileError::ShortRead;
        out.bytes.resize(static_cast<size_t>(in.gcount()));
    }
    return out;
}

std::string keptJobFileName(std::string_view chosen) {
    std::string name(chosen);
    if (name.find(".tfd") == std::string::npos) name += ".tfd";
    return name;
}

std::string keptJobRefusal(const std::string& chosen) {
    // "jobs" beside a folder of that name is kept as "jobs.tfd", a file of its own.
    if (chosen.empty() || pathFromUtf8(chosen).filename().empty())
        return chosen + ": a folder, not a file name";
    std::error_code ec;
    if (existsAsNonRegular(pathFromUtf8(chosen)) && !std::filesystem::is_directory(pathFromUtf8(chosen), ec))
        return chosen + ": not a regular file, not replaced";
    return {};
}

bool keepFontJob(const std::filesystem::path& path, std::string_view job, std::string* error) {
    return writeFileAtomically(path, job, error);
}

}  // namespace setrion::fonts
