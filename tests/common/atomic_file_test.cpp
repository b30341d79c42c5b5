#include "common/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

TEST(AtomicFile, ReplacesWholeFileAndLeavesNoTemporary) {
    fs::path dir = fs::temp_directory_path() / ("setrion_atomic_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    fs::path file = dir / "out.txt";
    ASSERT_TRUE(setrion::writeFileAtomically(file, std::string_view("first version, long")));
    ASSERT_TRUE(setrion::writeFileAtomically(file, std::string_view("second")));
    std::ifstream in(file);
    std::stringstream ss;
    ss << in.rdbuf();
    EXPECT_EQ(ss.str(), "second");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    fs::remove_all(dir);
}

TEST(AtomicFile, MissingFolderFailsWithReason) {
    std::string err;
    EXPECT_FALSE(setrion::writeFileAtomically("/nonexistent-dir/x.txt", std::string_view("x"), &err));
    EXPECT_NE(err.find("/nonexistent-dir/x.txt"), std::string::npos);
}

TEST(AtomicFile, NewFilesFollowTheirAccessAndExistingFilesKeepTheirMode) {
    fs::path dir = fs::temp_directory_path() / ("setrion_atomic_mode_" + std::to_string(::getpid()));
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
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "elsewhere"), fs::directory_iterator()), 1);
    fs::remove_all(dir);
}
