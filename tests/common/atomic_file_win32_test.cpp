// Atomic writes on Windows: UTF-8 names reach the file system as UTF-16, and names that are
// not regular files are refused.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>

#include "common/atomic_file.h"

namespace fs = std::filesystem;

TEST(AtomicFileWin32, Utf8NamesAndNonRegularTargets) {
    const std::wstring dir = fs::temp_directory_path().wstring() + L"\\setrion_\u00e9t\u00e9_" +
                             std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
    // The program's narrow strings are UTF-8, as a command line's file name is.
    const std::u8string u8 = fs::path(dir).u8string();
    const std::string utf8Dir(u8.begin(), u8.end());
    const std::string file = utf8Dir + "\\r\xC3\xA9sultat \xE2\x82\xAC.out";
    std::string error;
    ASSERT_TRUE(setrion::writeFileAtomically(file, std::string_view("first, longer"), &error,
                                             setrion::FileAccess::Private))
        << error;
    ASSERT_TRUE(setrion::writeFileAtomically(file, std::string_view("second"), &error)) << error;
    const std::wstring wide = dir + L"\\r\u00e9sultat \u20ac.out";
    EXPECT_EQ(fs::file_size(fs::path(wide)), 6u);
    EXPECT_EQ(std::distance(fs::directory_iterator(fs::path(dir)), fs::directory_iterator()), 1);

    for (const std::string& target : {utf8Dir, std::string("NUL")}) {
        EXPECT_TRUE(setrion::existsAsNonRegular(target)) << target;
        EXPECT_FALSE(setrion::writeFileAtomically(target, std::string_view("x"), &error));
        EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
    }
    fs::remove_all(fs::path(dir));
}
