#include "cli/progress_board.h"

#include <gtest/gtest.h>

#include <sstream>

using setrion::cli::ProgressBoard;

TEST(ProgressBoardTest, PlainLinesWithoutATerminal) {
    std::ostringstream out;
    ProgressBoard board(out, false, {"/dev/ttyUSB0", "p1"});
    board.update(1, "writing");
    board.print("p1: Save Completed !!!");
    board.update(0, "done");
    EXPECT_EQ(out.str(), "p1            writing\np1: Save Completed !!!\n/dev/ttyUSB0  done\n");
}

TEST(ProgressBoardTest, InPlaceRedrawsOneLineAndPrintsOthersAbove) {
    std::ostringstream out;
    ProgressBoard board(out, true, {"a", "b"});
    ASSERT_TRUE(board.inPlace());
    board.update(0, "writing");
    EXPECT_EQ(out.str(), "\r\x1b[2Ka  writing\n\r\x1b[2Kb  waiting\n");
    out.str("");
    board.update(1, "done");
    EXPECT_EQ(out.str(), "\x1b[1A\r\x1b[2Kb  done\x1b[1B\r");
    out.str("");
    board.print("note");
    EXPECT_EQ(out.str(), "\x1b[2A\r\x1b[2Knote\n\r\x1b[2Ka  writing\n\r\x1b[2Kb  done\n");
}
