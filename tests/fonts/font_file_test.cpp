#include "fonts/font_file.h"

#include "common/utf8_path.h"
#include "fonts/font_download.h"
#include "fonts/font_header.h"
#include "tests/support/font_bytes.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

namespace setrion::fonts {
namespace {

namespace fs = std::filesystem;

class FontFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("setrion_font_file_" + std::to_string(::getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }
    fs::path m_dir;
};

// The program's names are UTF-8: one outside ASCII names the same file on every platform (on
// Windows not through the ANSI code page), and messages show it as it was given.
TEST_F(FontFileTest, Utf8NamesNameTheFileTheyShow) {
    const std::string folder = pathToUtf8(m_dir) + "/Polices \xC3\xA9 \xE6\xB8\xAC";
    fs::create_directories(pathFromUtf8(folder));
    const std::string file = folder + "/Demo \xC3\xA9.ttf";
    std::ofstream(pathFromUtf8(file), std::ios::binary) << "abc";
    EXPECT_TRUE(fs::is_regular_file(m_dir / u8"Polices \u00e9 \u6e2c" / u8"Demo \u00e9.ttf"));
    EXPECT_EQ(readWholeFile(pathFromUtf8(file)).bytes.size(), 3u);
    EXPECT_EQ(pathToUtf8(pathFromUtf8(file)), file);
    EXPECT_EQ(keptJobRefusal(file), "");
    const std::string missing = folder + "/none \xE6\xB8\xAC.ttf";
    EXPECT_EQ(makeFontJob(pathFromUtf8(missing), "none", 100, TargetMemory::Ram).error,
              missing + " file is not exist");
}

TEST(KeptJobFileName, AddsTheExtensionUnlessPresent) {
    EXPECT_EQ(keptJobFileName("myfont"), "myfont.tfd");
    EXPECT_EQ(keptJobFileName("myfont.tfd"), "myfont.tfd");
    EXPECT_EQ(keptJobFileName("/home/u/jobs/myfont"), "/home/u/jobs/myfont.tfd");
    EXPECT_EQ(keptJobFileName("myfont.doc"), "myfont.doc.tfd");
}

TEST(FontMessages, Texts) {
    EXPECT_EQ(fileNotExistMessage("/usr/share/fonts/a.ttf"), "/usr/share/fonts/a.ttf file is not exist");
    EXPECT_STREQ(kWriteOpenFailed, "Write Open Failed");
    EXPECT_STREQ(kReadFileSizeError, "Read file size error");
    EXPECT_STREQ(kFontDownloadQuestion, "Download font to printer ?");
    EXPECT_STREQ(kFontDownloadQuestionCaption, "Setrion");
    EXPECT_STREQ(kFontDownloadSuccess, "Font download is success.");
    EXPECT_STREQ(kFontErrorCaption, "Error");
}

TEST_F(FontFileTest, ReadsAWholeFile) {
    fs::path p = m_dir / "a.ttf";
    std::ofstream(p, std::ios::binary) << std::string("\x00\x01\xFFxyz", 6);
    FileBytes f = readWholeFile(p);
    EXPECT_EQ(f.error, FileError::None);
    EXPECT_EQ(f.bytes, (std::vector<uint8_t>{0x00, 0x01, 0xFF, 'x', 'y', 'z'}));
}

TEST_F(FontFileTest, MissingFileOrFolderIsNotExist) {
    EXPECT_EQ(readWholeFile(m_dir / "missing.ttf").error, FileError::NotExist);
    // A folder or a device is there, but is no file to read.
    EXPECT_EQ(readWholeFile(m_dir).error, FileError::NotRegular);
#ifndef _WIN32
    EXPECT_EQ(readWholeFile("/dev/zero").error, FileError::NotRegular);
#endif
}

TEST(FontHeader, EachRefusalHasItsReason) {
    const std::string font = test::trueTypeBytes(40);
    auto with = [&](size_t at, std::string_view bytes) {
        std::string b = font;
        b.replace(at, bytes.size(), bytes);
        return b;
    };
    const std::vector<std::pair<std::string, FontHeaderError>> cases{
        {font, FontHeaderError::None},
        {with(0, "OTTO"), FontHeaderError::None},
        {with(0, "true"), FontHeaderError::None},
        {"", FontHeaderError::Empty},
        {"hello, this is text", FontHeaderError::NotAFont},
        {with(0, "ttcf"), FontHeaderError::NotAFont},
        {with(4, std::string("\0\0", 2)), FontHeaderError::NotAFont},      // no tables
        {font.substr(0, 8), FontHeaderError::Truncated},                     // offset table cut
        {with(4, std::string("\0\2", 2)), FontHeaderError::Truncated},      // directory past the end
        {font.substr(0, 39), FontHeaderError::Truncated},                    // table past the end
        {with(20, "\xFF\xFF\xFF\xFF"), FontHeaderError::Truncated},         // offset past the end
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        const auto& bytes = cases[i].first;
        EXPECT_EQ(checkFontHeader({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()}),
                  cases[i].second)
            << "case " << i;
    }
}

TEST_F(FontFileTest, FileAboveTheLimitIsRefusedBeforeReading) {
    fs::path p = m_dir / "big.ttf";
    std::ofstream(p, std::ios::binary) << std::string(2000, 'a');
    FileBytes f = readWholeFile(p, 1999);
    EXPECT_EQ(f.error, FileError::TooLarge);
    EXPECT_TRUE(f.bytes.empty());
    EXPECT_EQ(readWholeFile(p, 2000).error, FileError::None);
}

TEST_F(FontFileTest, KeptJobHoldsTheExactTextAndNoTemporaryFile) {
    fs::path p = m_dir / "myfont.tfd";
    std::ofstream(p) << "older and longer content that must be replaced";
    ASSERT_TRUE(keepFontJob(p, "{W,100,A,R,8|\r\n}"));
    std::ifstream in(p, std::ios::binary);
    std::string back((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(back, "{W,100,A,R,8|\r\n}");
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 1);
}

TEST_F(FontFileTest, JobInAMissingFolderFails) {
    std::string why;
    EXPECT_FALSE(keepFontJob(m_dir / "no" / "such.tfd", "x", &why));
    EXPECT_FALSE(why.empty());
}

TEST_F(FontFileTest, MakeJobReadsTheFontOrNamesTheMissingPath) {
    fs::path p = m_dir / "Demo.ttf";
    const std::string font = test::trueTypeBytes(38, 'A');
    std::ofstream(p, std::ios::binary) << font;
    JobText job = makeFontJob(p, "Demo.ttf", 100, TargetMemory::Ram);
    ASSERT_TRUE(job.ok()) << job.error;
    EXPECT_EQ(job.text.substr(0, 16), "{W,100,A,R,11|\r\n");
    EXPECT_NE(job.text.find("41414141414141414141\"|\r\n}"), std::string::npos) << job.text;

    JobText missing = makeFontJob(m_dir / "gone.ttf", "gone.ttf", 100, TargetMemory::Ram);
    EXPECT_FALSE(missing.ok());
    EXPECT_EQ(missing.error, (m_dir / "gone.ttf").string() + " file is not exist");
    EXPECT_TRUE(missing.text.empty());
}

TEST_F(FontFileTest, KeptJobReadsBackOrNamesTheMissingFile) {
    fs::path p = m_dir / "k.tfd";
    ASSERT_TRUE(keepFontJob(p, "{W,100,A,R,8|\r\n}"));
    JobText back = readKeptJob(p);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(back.text, "{W,100,A,R,8|\r\n}");
    fs::remove(p);
    EXPECT_EQ(readKeptJob(p).error, p.string() + " file is not exist");
}

}  // namespace
}  // namespace setrion::fonts
