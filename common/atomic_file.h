#pragma once
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace setrion {

// Who may read a file the program creates. An existing file always keeps its mode.
enum class FileAccess {
    Public,   // a new file gets 0666 less the umask
    Private,  // a new file gets 0600: files that can hold keys (result.out, the Wi-Fi INI file)
};

// Whether the new contents are flushed to the disk before the rename. A file that is
// rewritten many times a second and remade on every start (the simulator's state) skips
// the flush: under disk load it held up the simulator's answers.
enum class Durability {
    Synced,
    Unsynced,
};

// Writes `data` to a temporary file beside the real target, flushes it and renames it over
// the target, so a crash or a full disk never leaves a half-written file. Only regular files
// are written: a symlink is followed (the file it names is replaced, the link stays), and a
// target that exists but is not a regular file (device node, FIFO, directory, socket) is
// refused untouched. Returns false on any failure (the temporary file is removed) and fills
// `error` with a readable reason naming `path`.
bool writeFileAtomically(const std::filesystem::path& path, std::span<const uint8_t> data,
                         std::string* error = nullptr, FileAccess access = FileAccess::Public,
                         Durability durability = Durability::Synced);
bool writeFileAtomically(const std::filesystem::path& path, std::string_view text,
                         std::string* error = nullptr, FileAccess access = FileAccess::Public,
                         Durability durability = Durability::Synced);

// True when `path` (a symlink followed) exists and is not a regular file, which
// writeFileAtomically refuses.
bool existsAsNonRegular(const std::filesystem::path& path);

}  // namespace setrion
