#pragma once
// One progress line per printer. On a terminal the lines are redrawn in place; elsewhere
// each change is one plain line. Safe to call from several threads; a line is written
// whole, so lines of different printers never mix.
#include <cstddef>
#include <iosfwd>
#include <mutex>
#include <string>
#include <vector>

namespace setrion::cli {

// True when the stream is the process's stdout or stderr and that is a terminal.
bool streamIsTerminal(const std::ostream& s);

class ProgressBoard {
public:
    // `names` label the lines ("02:00:00:00:00:01", "/dev/ttyUSB0"). In place only when
    // `terminal` and the lines fit the terminal's height.
    ProgressBoard(std::ostream& out, bool terminal, std::vector<std::string> names);
    ~ProgressBoard();

    // Printer `i` has reached `state` ("writing", "done: Save Completed !!!").
    void update(size_t i, const std::string& state);
    // A line of other output: printed above the board on a terminal, as it is elsewhere.
    void print(const std::string& text);
    bool inPlace() const { return m_inPlace; }

private:
    std::string lineOf(size_t i) const;
    void drawAll();

    std::ostream& m_out;
    bool m_inPlace = false;
    bool m_drawn = false;
    size_t m_width = 0;
    std::vector<std::string> m_names;
    std::vector<std::string> m_states;
    std::mutex m_mutex;
};

}  // namespace setrion::cli
