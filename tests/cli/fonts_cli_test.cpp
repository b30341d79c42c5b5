// setrion-cli font-job: the job file is the exact job text; bad input is refused.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include "tests/support/font_bytes.h"

namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class FontJobCli : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("setrion_font_cli_" + std::to_string(::getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    // Runs setrion-cli with `args`; returns the exit code, fills m_err.
    int run(const std::string& args) {
        std::string cmd = std::string(SETRION_BINARY_DIR "/cli/setrion-cli ") + args + " >" +
                          (m_dir / "out").string() + " 2>" + (m_dir / "err").string();
        int status = std::system(cmd.c_str());
        m_err = slurp(m_dir / "err");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    fs::path m_dir;
    std::string m_err;
};

TEST_F(FontJobCli, WritesTheExactJobText) {
    std::string font = setrion::test::trueTypeBytes(38);
    font.replace(28, 10, "ABCDEFGHIJ");
    std::ofstream(m_dir / "Demo.ttf", std::ios::binary) << font;
    ASSERT_EQ(run("font-job " + (m_dir / "Demo.ttf").string() + " --id 256 --memory flash -o " +
                  (m_dir / "job.tfd").string()),
              0)
        << m_err;
    EXPECT_EQ(slurp(m_dir / "job.tfd"),
              "{W,256,A,F,11|\r\n"
              "H,\"0420000144656D6F000000000000000000000000000100002600000040000000\"|\r\n"
              "R,\"zzzzzzzzzv\"|\r\n"
              "H,\"00010000000100100000000068656164000000000000001C0000000A4142434445464748494A\"|\r\n"
              "}");
}

TEST_F(FontJobCli, IdOutsideTheRangeIsAUsageError) {
    std::ofstream(m_dir / "a.ttf") << setrion::test::trueTypeBytes();
    for (const char* id : {"99", "500", "abc"}) {
        EXPECT_EQ(run("font-job " + (m_dir / "a.ttf").string() + " --id " + id + " -o " +
                      (m_dir / "j.tfd").string()),
                  1)
            << id;
    }
    EXPECT_EQ(run("font-job " + (m_dir / "a.ttf").string() + " --id 100 --memory rom -o " +
                  (m_dir / "j.tfd").string()),
              1);
    EXPECT_FALSE(fs::exists(m_dir / "j.tfd"));
}

TEST_F(FontJobCli, MissingFontIsReportedWithItsPath) {
    std::string missing = (m_dir / "missing.ttf").string();
    EXPECT_EQ(run("font-job " + missing + " --id 100 -o " + (m_dir / "j.tfd").string()), 2);
    EXPECT_EQ(m_err, missing + " file is not exist\n");
    EXPECT_FALSE(fs::exists(m_dir / "j.tfd"));
}

TEST_F(FontJobCli, UnwritableOutputIsWriteOpenFailed) {
    std::ofstream(m_dir / "a.ttf") << setrion::test::trueTypeBytes();
    EXPECT_EQ(run("font-job " + (m_dir / "a.ttf").string() + " --id 100 -o " +
                  (m_dir / "no" / "j.tfd").string()),
              2);
    EXPECT_EQ(m_err, "Write Open Failed\n");
}

TEST_F(FontJobCli, OutputOntoANodeIsRefusedAndThroughASymlinkReachesTheFile) {
    std::ofstream(m_dir / "a.ttf") << setrion::test::trueTypeBytes();
    const std::string job = "font-job " + (m_dir / "a.ttf").string() + " --id 100 -o ";
    ASSERT_EQ(::mkfifo((m_dir / "fifo").c_str(), 0600), 0);
    fs::create_directory(m_dir / "dir");
    std::vector<std::pair<fs::path, fs::file_type>> nodes{{m_dir / "fifo", fs::file_type::fifo},
                                                          {m_dir / "dir", fs::file_type::directory}};
    // A copy of /dev/null's node (1, 3) where the test may make one.
    if (::mknod((m_dir / "null").c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0)
        nodes.emplace_back(m_dir / "null", fs::file_type::character);
    for (const auto& [node, type] : nodes) {
        EXPECT_EQ(run(job + node.string()), 2) << node;
        EXPECT_EQ(m_err, node.string() + ": not a regular file, not replaced\n");
        EXPECT_EQ(fs::symlink_status(node).type(), type) << node;
    }

    std::ofstream(m_dir / "real.tfd") << "old";
    fs::create_symlink(m_dir / "real.tfd", m_dir / "link.tfd");
    ASSERT_EQ(run(job + (m_dir / "link.tfd").string()), 0) << m_err;
    EXPECT_TRUE(fs::is_symlink(m_dir / "link.tfd"));
    EXPECT_NE(slurp(m_dir / "real.tfd"), "old");
    EXPECT_EQ(slurp(m_dir / "real.tfd").substr(0, 1), slurp(m_dir / "link.tfd").substr(0, 1));
}

}  // namespace
