#include "tests/support/scripted_link.h"

#include <algorithm>

namespace setrion::test {

int ScriptedLink::write(std::span<const uint8_t> data) {
    if (!m_open || m_writeFails) return 0;
    m_writes.emplace_back(data.begin(), data.end());
    if (m_responder) m_responder(*this, data);
    return static_cast<int>(data.size());
}

int ScriptedLink::read(std::span<uint8_t> buffer) {
    ++m_readCalls;
    if (!m_open || m_reads.empty()) return 0;
    auto& front = m_reads.front();
    size_t n = std::min(front.size(), buffer.size());
    std::copy_n(front.begin(), n, buffer.begin());
    if (n == front.size())
        m_reads.pop_front();
    else
        front.erase(front.begin(), front.begin() + static_cast<long>(n));
    return static_cast<int>(n);
}

std::vector<uint8_t> ScriptedLink::allWritten() const {
    std::vector<uint8_t> all;
    for (const auto& w : m_writes) all.insert(all.end(), w.begin(), w.end());
    return all;
}

}  // namespace setrion::test
