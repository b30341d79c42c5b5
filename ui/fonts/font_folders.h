#pragma once
#include <filesystem>
#include <string>
#include <vector>

namespace setrion::ui {

// The folder the font selection dialog shows first: the first of the user's and then the
// system's font folders (fontconfig's configured directories, then ~/.local/share/fonts,
// /usr/local/share/fonts and /usr/share/fonts) that holds TrueType files in it or below it,
// with a trailing '/'. When none has fonts, the first that exists; when none exists, <home>/
// (or "/" without a home).
std::string systemFontFolder(const std::string& home);
// The font folders fontconfig is configured with, in its order (empty without fontconfig).
std::vector<std::string> fontConfigFolders();
// The candidates in the order systemFontFolder tries them: those below `home` first.
std::vector<std::string> fontFolderCandidates(const std::vector<std::string>& configured,
                                              const std::string& home);
// The first candidate holding TrueType files (in it or below it); else the first that exists;
// else `fallback`. Always with a trailing '/'.
std::string firstFolderWithFonts(const std::vector<std::string>& candidates,
                                 const std::string& fallback);
// The first candidate that is a folder, for tests; `fallback` when none is.
std::string firstExistingFolder(const std::vector<std::string>& candidates,
                                const std::string& fallback);

// A folder path with exactly the one trailing separator it needs ("/" stays "/").
std::string withTrailingSeparator(std::string folder);

// The regular files in `folder` and its subfolders whose names end in ".ttf" in any case, by
// their path below `folder` ("DejaVuSans.ttf", "dejavu/DejaVuSans.ttf"), sorted as a sorted
// list box sorts them (case-insensitively, then by bytes). Linked folders are not followed;
// a folder that cannot be read gives no names.
std::vector<std::string> trueTypeFilesIn(const std::filesystem::path& folder);

}  // namespace setrion::ui
