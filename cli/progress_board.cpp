#include "cli/progress_board.h"

#include <algorithm>
#include <iostream>

#include "cli/terminal.h"

namespace setrion::cli {
namespace {

int fdOf(const std::ostream& s) {
    if (&s == &std::cout) return 1;
    if (&s == &std::cerr || &s == &std::clog) return 2;
    return -1;
}

}  // namespace

bool streamIsTerminal(const std::ostream& s) {
    int fd = fdOf(s);
    return fd >= 0 && fdIsTerminal(fd);
}

ProgressBoard::ProgressBoard(std::ostream& out, bool terminal, std::vector<std::string> names)
    : m_out(out), m_names(std::move(names)), m_states(m_names.size(), "waiting") {
    for (const auto& n : m_names) m_width = std::max(m_width, n.size());
    int fd = fdOf(out);
    // A board taller than the terminal could not be reached by moving the cursor up.
    m_inPlace = terminal && !m_names.empty() && (fd < 0 || m_names.size() < terminalRows(fd));
}

ProgressBoard::~ProgressBoard() { m_out.flush(); }

std::string ProgressBoard::lineOf(size_t i) const {
    std::string name = m_names[i];
    name.resize(m_width, ' ');
    return name + "  " + m_states[i];
}

void ProgressBoard::drawAll() {
    for (size_t i = 0; i < m_names.size(); ++i) m_out << "\r\x1b[2K" << lineOf(i) << "\n";
    m_drawn = true;
}

void ProgressBoard::update(size_t i, const std::string& state) {
    std::lock_guard lock(m_mutex);
    if (i >= m_names.size()) return;
    m_states[i] = state;
    if (!m_inPlace) {
        m_out << lineOf(i) << "\n" << std::flush;
        return;
    }
    if (!m_drawn) {
        drawAll();
    } else {
        size_t up = m_names.size() - i;
        m_out << "\x1b[" << up << "A\r\x1b[2K" << lineOf(i) << "\x1b[" << up << "B\r";
    }
    m_out << std::flush;
}

void ProgressBoard::print(const std::string& text) {
    std::lock_guard lock(m_mutex);
    if (m_inPlace && m_drawn) {
        m_out << "\x1b[" << m_names.size() << "A\r\x1b[2K" << text << "\n";
        drawAll();
    } else {
        m_out << text << "\n";
    }
    m_out << std::flush;
}

}  // namespace setrion::cli
