// Modes and symlinks of atomic writes, as POSIX file systems have them.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "common/atomic_file.h"

namespace fs = std::filesystem;

TEST(AtomicFile, NewFilesFollowTheirAccessAndExistingFilesKeepTheirMode) {
    fs::path dir =
        fs::temp_directory_path() / ("setrion_atomic_mode_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    mode_t old = ::umask(022);
    ASSERT_TRUE(setrion::writeFileAtomically(dir / "public", std::string_view("x")));
    ASSERT_TRUE(setrion::writeFileAtomically(dir / "private", std::string_view("k"), nullptr,
                                             setrion::FileAccess::Private));
    fs::permissions(dir / "public", fs::perms(0640));
    ASSERT_TRUE(setrion::writeFileAtomically(dir / "public", std::string_view("y"), nullptr,
                                             setrion::FileAccess::Private));
    ::umask(old);
    EXPECT_EQ(fs::status(dir / "private").permissions(), fs::perms(0600));
    EXPECT_EQ(fs::status(dir / "public").permissions(), fs::perms(0640));
    // A link's target is written in its own folder; the link stays a link.
    fs::create_directories(dir / "elsewhere");
    fs::create_symlink(dir / "elsewhere" / "t", dir / "link");
    ASSERT_TRUE(setrion::writeFileAtomically(dir / "link", std::string_view("via link")));
    EXPECT_TRUE(fs::is_symlink(dir / "link"));
    EXPECT_EQ(fs::file_size(dir / "elsewhere" / "t"), 8u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "elsewhere"), fs::directory_iterator()),
              1);
    fs::remove_all(dir);
}
