#pragma once
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace setrion::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    explicit TempDir(std::string_view tag) {
        static std::atomic<int> serial{0};
        m_path = std::filesystem::temp_directory_path() /
                 ("setrion-" + std::string(tag) + "-" + std::to_string(::getpid()) + "-" +
                  std::to_string(serial++));
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    // The folder as text with a trailing '/'.
    std::string folder() const { return m_path.string() + "/"; }
    // Writes `content` to `name` inside the folder (creating sub-folders); returns its path.
    std::filesystem::path write(const std::string& name, std::string_view content) const {
        const std::filesystem::path p = m_path / name;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary).write(content.data(), static_cast<std::streamsize>(content.size()));
        return p;
    }
    // The names of the entries directly inside the folder, sorted.
    std::vector<std::string> entries() const;

private:
    std::filesystem::path m_path;
};

inline std::vector<std::string> TempDir::entries() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(m_path)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace setrion::test
