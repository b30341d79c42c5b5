#include "ui/fonts/font_folders.h"

#include <algorithm>
#include <cctype>
#include <system_error>

namespace setrion::ui {
namespace {

std::string lowered(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool hasTrueTypeExtension(const std::string& name) {
    return name.size() > 4 && lowered(name.substr(name.size() - 4)) == ".ttf";
}

}  // namespace

std::string withTrailingSeparator(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

std::string firstExistingFolder(const std::vector<std::string>& candidates,
                                const std::string& fallback) {
    for (const std::string& c : candidates) {
        std::error_code ec;
        if (std::filesystem::is_directory(c, ec)) return withTrailingSeparator(c);
    }
    return withTrailingSeparator(fallback);
}

std::string systemFontFolder(const std::string& home) {
    std::vector<std::string> candidates{"/usr/share/fonts/truetype/", "/usr/share/fonts/"};
    if (!home.empty()) candidates.push_back(withTrailingSeparator(home) + ".local/share/fonts/");
    return firstExistingFolder(candidates, home.empty() ? "/" : home);
}

std::vector<std::string> trueTypeFilesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        std::error_code typeEc;
        if (!it->is_regular_file(typeEc)) continue;
        std::string name = it->path().filename().string();
        if (hasTrueTypeExtension(name)) names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::string la = lowered(a), lb = lowered(b);
        return la != lb ? la < lb : a < b;
    });
    return names;
}

}  // namespace setrion::ui
