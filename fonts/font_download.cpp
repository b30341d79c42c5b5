#include "fonts/font_download.h"

#include "common/utf8_path.h"
#include "fonts/font_file.h"
#include "fonts/font_header.h"

namespace setrion::fonts {

JobText makeFontJob(const std::filesystem::path& fontPath, std::string_view fileName,
                    int fontId, TargetMemory memory) {
    JobText out;
    FileBytes ttf = readWholeFile(fontPath);
    const std::string path = pathToUtf8(fontPath);
    switch (ttf.error) {
        case FileError::None: break;
        case FileError::TooLarge: out.error = kFontTooLarge; return out;
        case FileError::NotRegular: out.error = notRegularFileMessage(path); return out;
        case FileError::SymlinkLoop:
            out.error = symlinkLoopMessage(path);
            return out;
        case FileError::NotExist:
        case FileError::ShortRead: out.error = fileNotExistMessage(path); return out;
    }
    // Only a font is made into a job: the printer would store anything as one.
    switch (checkFontHeader(ttf.bytes)) {
        case FontHeaderError::None: break;
        case FontHeaderError::Empty: out.error = path + ": the file is empty"; return out;
        case FontHeaderError::NotAFont: out.error = path + ": not a TrueType or OpenType font"; return out;
        case FontHeaderError::Truncated:
            out.error = path + ": truncated font (its tables run past the end of the file)";
            return out;
    }
    out.text = buildFontJob(ttf.bytes, fileName, fontId, memory);
    return out;
}

JobText readKeptJob(const std::filesystem::path& keptPath) {
    JobText out;
    // A job is about 2.2 times its font; allow for the largest font accepted.
    FileBytes job = readWholeFile(keptPath, 3 * kMaxFontFileSize);
    switch (job.error) {
        case FileError::None: break;
        case FileError::NotRegular: out.error = notRegularFileMessage(pathToUtf8(keptPath)); return out;
        case FileError::SymlinkLoop:
            out.error = symlinkLoopMessage(pathToUtf8(keptPath));
            return out;
        case FileError::NotExist:
        case FileError::TooLarge: out.error = fileNotExistMessage(pathToUtf8(keptPath)); return out;
        case FileError::ShortRead: out.error = kReadFileSizeError; return out;
    }
    out.text.assign(job.bytes.begin(), job.bytes.end());
    return out;
}

}  // namespace setrion::fonts
