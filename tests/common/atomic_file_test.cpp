#include "common/atomic_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

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
    {
        std::ifstream in(file);  // closed before the folder goes: Windows keeps open files
        std::stringstream ss;
        ss << in.rdbuf();
        EXPECT_EQ(ss.str(), "second");
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    fs::remove_all(dir);
}

TEST(AtomicFile, MissingFolderFailsWithReason) {
    std::string err;
    EXPECT_FALSE(setrion::writeFileAtomically("/nonexistent-dir/x.txt", std::string_view("x"), &err));
    EXPECT_NE(err.find("/nonexistent-dir/x.txt"), std::string::npos);
}
