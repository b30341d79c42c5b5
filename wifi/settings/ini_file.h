#pragma once
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace setrion::wifi {

// An INI ("private profile") file held as its lines, read and changed the way the classic
// profile functions do, but written back with every line the program does not change kept
// byte for byte: other sections, other keys, comments, blank lines, order and line endings.
//
// Reading rules:
// - "[name]" starts a section; names and keys compare without regard to case.
// - "key=value": spaces and tabs around the key and the value are dropped; a value wholly
//   enclosed in a pair of double or single quotes loses the quotes.
// - Lines without '=' inside a section, lines before the first section and lines starting
//   with ';' are never keys (they are comments to the reader and kept as they are).
// - When a section or key appears twice, the first one counts.
// - A UTF-8 byte order mark before the first line is skipped (and kept on writing).
class IniFile {
  public:
    // Size of the caller's buffer of the classic reader: a value is cut to one byte less.
    static constexpr std::size_t kValueBufferSize = 256;

    IniFile() = default;
    // Any bytes; never fails (lines that mean nothing are kept as they are).
    static IniFile parse(std::string_view text);
    // Reads the file; nothing when it does not exist or cannot be read.
    static std::optional<IniFile> load(const std::filesystem::path& path);

    // The value of `key` in `section`, or nothing when either is missing.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    // The keys of `section` in file order, each once (as the file spells it).
    std::vector<std::string> keys(std::string_view section) const;
    // The classic read: the value cut to `bufferSize` - 1 bytes, "" when missing.
    std::string readString(std::string_view section, std::string_view key,
                           std::size_t bufferSize = kValueBufferSize) const;

    // Sets `key` in `section` to `value`: the key's line is rewritten in place (its key text
    // and everything before '=' kept), or a new "key=value" line follows the section's last
    // key, or a new section is appended at the end. A value stops at its first CR, LF or NUL,
    // so no value can add lines to the file.
    void set(std::string_view section, std::string_view key, std::string_view value);

    // The whole file as it would be written.
    std::string text() const;

    // Writes the file atomically (temporary file + rename) over `path`, but only when a file
    // is there: a file removed meanwhile is not created again. Returns false when nothing
    // was written, with a reason in `error` (when given) unless the file was simply absent.
    bool saveIfExists(const std::filesystem::path& path, std::string* error = nullptr) const;

  private:
    struct Line {
        std::string body;  // without its line ending
        std::string eol;   // "\r\n", "\n", "\r" or "" for a last line without one
    };
    struct KeyAt {
        std::size_t line;
        std::size_t valueStart;  // offset of the first byte after '='
    };

    std::optional<std::size_t> findSection(std::string_view section) const;
    std::optional<KeyAt> findKey(std::string_view section, std::string_view key) const;
    std::string newLineEnding() const;

    std::string m_bom;
    std::vector<Line> m_lines;
};

}  // namespace setrion::wifi
