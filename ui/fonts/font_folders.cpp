#include "ui/fonts/font_folders.h"

#include <algorithm>
#include <cctype>
#include <system_error>

#include "common/utf8_path.h"

#ifdef SETRION_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

namespace setrion::ui {
namespace {

namespace fs = std::filesystem;

// Font trees are shallow (fonts/truetype/dejavu); deeper is not searched.
constexpr int kMaxDepth = 8;

std::string lowered(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool hasTrueTypeExtension(const std::string& name) {
    return name.size() > 4 && lowered(name.substr(name.size() - 4)) == ".ttf";
}

// Visits the TrueType files below `folder` until `visit` returns false.
template <class F>
void forEachTrueTypeFile(const fs::path& folder, F&& visit) {
    std::error_code ec;
    fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        std::error_code typeEc;
        if (it->is_directory(typeEc)) {
            if (it.depth() >= kMaxDepth) it.disable_recursion_pending();
            continue;
        }
        if (!it->is_regular_file(typeEc) || !hasTrueTypeExtension(pathToUtf8(it->path().filename())))
            continue;
        if (!visit(it->path())) return;
    }
}

bool holdsTrueTypeFiles(const fs::path& folder) {
    bool found = false;
    forEachTrueTypeFile(folder, [&](const fs::path&) {
        found = true;
        return false;
    });
    return found;
}

}  // namespace

std::string withTrailingSeparator(std::string folder) {
    // A folder named with the system's own separator ('\\' on Windows) ends with it too.
    constexpr auto native = static_cast<char>(fs::path::preferred_separator);
    if (!folder.empty() && (folder.back() == '/' || folder.back() == native)) return folder;
    folder += folder.find(native) != std::string::npos ? native : '/';
    return folder;
}

std::string firstExistingFolder(const std::vector<std::string>& candidates,
                                const std::string& fallback) {
    for (const std::string& c : candidates) {
        std::error_code ec;
        if (fs::is_directory(pathFromUtf8(c), ec)) return withTrailingSeparator(c);
    }
    return withTrailingSeparator(fallback);
}

std::string firstFolderWithFonts(const std::vector<std::string>& candidates,
                                 const std::string& fallback) {
    for (const std::string& c : candidates)
        if (holdsTrueTypeFiles(pathFromUtf8(c))) return withTrailingSeparator(c);
    return firstExistingFolder(candidates, fallback);
}

std::vector<std::string> fontConfigFolders() {
    std::vector<std::string> folders;
#ifdef SETRION_HAVE_FONTCONFIG
    // The configuration only: no font scan.
    FcConfig* config = FcInitLoadConfig();
    if (!config) return folders;
    if (FcStrList* dirs = FcConfigGetConfigDirs(config)) {
        while (FcChar8* dir = FcStrListNext(dirs)) folders.emplace_back(reinterpret_cast<const char*>(dir));
        FcStrListDone(dirs);
    }
    FcConfigDestroy(config);
#endif
    return folders;
}

std::vector<std::string> fontFolderCandidates(const std::vector<std::string>& configured,
                                              const std::string& home) {
    std::vector<std::string> all = configured;
    if (!home.empty()) all.push_back(withTrailingSeparator(home) + ".local/share/fonts");
    all.push_back("/usr/local/share/fonts");
    all.push_back("/usr/share/fonts");
    std::vector<std::string> user, system;
    const std::string homePrefix = home.empty() ? std::string() : withTrailingSeparator(home);
    for (const std::string& folder : all) {
        const std::string f = withTrailingSeparator(folder);
        auto& side = !homePrefix.empty() && f.rfind(homePrefix, 0) == 0 ? user : system;
        if (std::find(user.begin(), user.end(), f) == user.end() &&
            std::find(system.begin(), system.end(), f) == system.end())
            side.push_back(f);
    }
    user.insert(user.end(), system.begin(), system.end());
    return user;
}

std::string systemFontFolder(const std::string& home) {
    return firstFolderWithFonts(fontFolderCandidates(fontConfigFolders(), home),
                                home.empty() ? "/" : home);
}

std::vector<std::string> trueTypeFilesIn(const fs::path& folder) {
    std::vector<std::string> names;
    forEachTrueTypeFile(folder, [&](const fs::path& file) {
        names.push_back(genericPathToUtf8(file.lexically_relative(folder)));
        return true;
    });
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::string la = lowered(a), lb = lowered(b);
        return la != lb ? la < lb : a < b;
    });
    return names;
}

}  // namespace setrion::ui
