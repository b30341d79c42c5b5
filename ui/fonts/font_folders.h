#pragma once
#include <filesystem>
#include <string>
#include <vector>

namespace setrion::ui {

// The folder the font selection dialog shows first: the first of /usr/share/fonts/truetype/,
// /usr/share/fonts/ and <home>/.local/share/fonts/ that exists, with a trailing '/'. When
// none exists, <home>/ (or "/" without a home).
std::string systemFontFolder(const std::string& home);
// The same from a list of candidates, for tests; `fallback` when none is a folder.
std::string firstExistingFolder(const std::vector<std::string>& candidates,
                                const std::string& fallback);

// A folder path with exactly the one trailing separator it needs ("/" stays "/").
std::string withTrailingSeparator(std::string folder);

// The names of the regular files in `folder` whose names end in ".ttf" in any case, sorted
// as a sorted list box sorts them (case-insensitively, then by bytes). A folder that cannot
// be read gives no names.
std::vector<std::string> trueTypeFilesIn(const std::filesystem::path& folder);

}  // namespace setrion::ui
