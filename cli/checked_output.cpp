#include "cli/checked_output.h"

#include <cerrno>
#include <cstring>
#include <ostream>

#include "common/interrupt.h"

namespace setrion::cli {

void CheckedOutput::fail(int error) {
    if (m_failed) return;
    m_failed = true;
    m_reason = error != 0 ? std::strerror(error) : "write error";
    requestInterrupt(0);
}

CheckedOutput::int_type CheckedOutput::overflow(int_type ch) {
    if (traits_type::eq_int_type(ch, traits_type::eof())) return traits_type::not_eof(ch);
    const char c = traits_type::to_char_type(ch);
    return xsputn(&c, 1) == 1 ? ch : traits_type::eof();
}

std::streamsize CheckedOutput::xsputn(const char* s, std::streamsize n) {
    if (m_failed || m_closed) return 0;
    errno = 0;
    const size_t done = std::fwrite(s, 1, static_cast<size_t>(n), m_file);
    // A trace line written straight to the C stream may have failed before.
    if (done != static_cast<size_t>(n) || std::ferror(m_file)) {
        fail(errno);
        return 0;
    }
    return n;
}

int CheckedOutput::sync() {
    if (m_failed || m_closed) return m_failed ? -1 : 0;
    errno = 0;
    if (std::fflush(m_file) != 0 || std::ferror(m_file)) {
        fail(errno);
        return -1;
    }
    return 0;
}

bool CheckedOutput::close() {
    if (m_closed) return !m_failed;
    sync();
    m_closed = true;
    errno = 0;
    if (std::fclose(m_file) != 0 && !m_failed) {
        m_failed = true;
        m_reason = errno != 0 ? std::strerror(errno) : "write error";
    }
    return !m_failed;
}

const CheckedOutput* failedOutput(const std::ostream& stream) {
    const auto* out = dynamic_cast<const CheckedOutput*>(stream.rdbuf());
    return out && out->failed() ? out : nullptr;
}

}  // namespace setrion::cli
