#pragma once
#include <cstdio>
#include <streambuf>
#include <string>

namespace setrion::cli {

// The stream buffer of std::cout and std::cerr: writes through the C stream and notices the
// first failed write (a closed pipe, a full disk). That failure ends the running sequence at
// its next step, as a termination signal does, and later writes are dropped; the program then
// reports it and exits 2.
class CheckedOutput final : public std::streambuf {
  public:
    explicit CheckedOutput(std::FILE* file) : m_file(file) {}
    bool failed() const { return m_failed; }
    // The system's reason for the first failure ("Broken pipe").
    const std::string& reason() const { return m_reason; }
    // Flushes and closes the C stream; false (the reason kept) when that fails.
    bool close();

  protected:
    int_type overflow(int_type ch) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;
    int sync() override;

  private:
    void fail(int error);

    std::FILE* m_file;
    bool m_failed = false;
    bool m_closed = false;
    std::string m_reason;
};

// The failed CheckedOutput behind `stream`, or null (any other stream buffer, or none failed).
const CheckedOutput* failedOutput(const std::ostream& stream);

}  // namespace setrion::cli
