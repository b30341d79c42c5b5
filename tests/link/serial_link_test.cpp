#include "link/serial_link.h"

#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>

#include "common/trace.h"
#include "tests/link/pty_pair.h"

namespace setrion {
namespace {

using test::PtyPair;

std::vector<uint8_t> bytesOf(std::string_view s) { return {s.begin(), s.end()}; }

// The real calls, recording each write with the clock's time and injecting faults on request.
class RecordingSys : public PosixSerialSys {
public:
    explicit RecordingSys(Clock& clock) : m_clock(clock) {}

    struct Write {
        uint64_t atMs;
        std::vector<uint8_t> bytes;
    };
    std::vector<Write> writes;  // the writes that went through
    int writeCalls = 0;
    std::deque<int> writeErrors;  // errno for the next write calls; 0 lets one through
    bool alwaysEagain = false;
    size_t maxWrite = SIZE_MAX;  // forces short writes
    std::function<void(size_t)> beforeWrite;  // called with the block size
    std::function<void()> afterWrite;         // called once a write went through
    bool failTcsetattr = false;
    std::optional<termios> applied;
    std::vector<std::pair<unsigned long, int>> modemIoctls;

    ssize_t write(int fd, const void* buf, size_t n) override {
        ++writeCalls;
        if (beforeWrite) beforeWrite(n);
        if (alwaysEagain) return fail(EAGAIN);
        if (!writeErrors.empty()) {
            int e = writeErrors.front();
            writeErrors.pop_front();
            if (e != 0) return fail(e);
        }
        ssize_t r = PosixSerialSys::write(fd, buf, std::min(n, maxWrite));
        if (r > 0) {
            auto p = static_cast<const uint8_t*>(buf);
            writes.push_back({m_clock.nowMs(), {p, p + r}});
            if (afterWrite) afterWrite();
        }
        return r;
    }
    int tcsetattr(int fd, int action, const termios* tio) override {
        applied = *tio;
        if (failTcsetattr) return fail(EINVAL);
        return PosixSerialSys::tcsetattr(fd, action, tio);
    }
    int ioctl(int fd, unsigned long request, int* arg) override {
        if (request == TIOCMBIS || request == TIOCMBIC) modemIoctls.emplace_back(request, *arg);
        return PosixSerialSys::ioctl(fd, request, arg);
    }

private:
    static int fail(int e) {
        errno = e;
        return -1;
    }
    Clock& m_clock;
};

class SerialLinkTest : public ::testing::Test {
protected:
    ManualClock clock;
    RecordingSys sys{clock};
    PtyPair pty;
    SerialLink link{clock, sys};

    void SetUp() override {
        ASSERT_FALSE(pty.slavePath().empty());
        ASSERT_EQ(link.open(pty.slavePath(), SerialSettings{}), 0);
    }
    std::vector<size_t> writeSizes() const {
        std::vector<size_t> sizes;
        for (auto& w : sys.writes) sizes.push_back(w.bytes.size());
        return sizes;
    }
};

TEST_F(SerialLinkTest, WakeUpPrecedesFirstWriteThenOnlyAfterSixtySecondsIdle) {
    auto data = bytesOf("ABC");
    ASSERT_EQ(link.write(data), 3);
    ASSERT_EQ(sys.writes.size(), 2u);
    EXPECT_EQ(sys.writes[0].bytes, (std::vector<uint8_t>{0x00, 0x00}));
    EXPECT_EQ(sys.writes[1].atMs - sys.writes[0].atMs, 350u);
    EXPECT_EQ(pty.readFromHost(5), (std::vector<uint8_t>{0x00, 0x00, 'A', 'B', 'C'}));

    // Two seconds later: no wake-up.
    clock.advance(2000);
    sys.writes.clear();
    ASSERT_EQ(link.write(data), 3);
    EXPECT_EQ(writeSizes(), (std::vector<size_t>{3}));

    // Exactly 60 s idle is not yet "more than 60000 ms".
    clock.advance(60000);
    sys.writes.clear();
    ASSERT_EQ(link.write(data), 3);
    EXPECT_EQ(writeSizes(), (std::vector<size_t>{3}));

    // 61 s idle: the zeros again.
    clock.advance(61000);
    sys.writes.clear();
    ASSERT_EQ(link.write(data), 3);
    EXPECT_EQ(writeSizes(), (std::vector<size_t>{2, 3}));
    EXPECT_EQ(pty.readFromHost(3 + 3 + 5).size(), 11u);
}

TEST_F(SerialLinkTest, FirstWriteAfterReopenWakesWhateverTheClockSays) {
    ASSERT_EQ(link.write(bytesOf("A")), 1);
    link.close();
    ASSERT_EQ(link.open(pty.slavePath(), SerialSettings{}), 0);
    sys.writes.clear();
    clock.advance(10);  // far less than 60 s since the last write
    ASSERT_EQ(link.write(bytesOf("B")), 1);
    EXPECT_EQ(writeSizes(), (std::vector<size_t>{2, 1}));
}

TEST_F(SerialLinkTest, WritesIn64ByteChunksAndArrivesWhole) {
    std::vector<uint8_t> data(150);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i + 1);
    ASSERT_EQ(link.write(data), 150);
    EXPECT_EQ(writeSizes(), (std::vector<size_t>{2, 64, 64, 22}));
    auto got = pty.readFromHost(152);
    ASSERT_EQ(got.size(), 152u);
    EXPECT_EQ(std::vector<uint8_t>(got.begin() + 2, got.end()), data);
}

TEST_F(SerialLinkTest, ShortWritesAndInterruptsStillDeliverEverything) {
    sys.maxWrite = 10;
    sys.writeErrors = {0, EINTR, 0, EAGAIN};  // zeros, then an interrupt, then "would block"
    std::vector<uint8_t> data(100, 'x');
    EXPECT_EQ(link.write(data), 100);
    EXPECT_EQ(pty.readFromHost(102).size(), 102u);
}

TEST_F(SerialLinkTest, ChunkFailingAtOnceIsTriedThreeTimesThenTheWriteFails) {
    ASSERT_EQ(link.write(bytesOf("A")), 1);  // past the wake-up
    sys.writeCalls = 0;
    sys.writeErrors = {EIO, EIO, EIO, 0};
    EXPECT_EQ(link.write(bytesOf("hello")), 0);
    EXPECT_EQ(sys.writeCalls, 3);
    EXPECT_TRUE(link.isOpen());  // the caller decides whether to close

    sys.writeCalls = 0;
    sys.writeErrors = {EIO, EIO, 0};
    EXPECT_EQ(link.write(bytesOf("hello")), 5);
    EXPECT_EQ(sys.writeCalls, 3);
}

TEST_F(SerialLinkTest, ChunkThatNeverGoesOutFailsAfterOneSecond) {
    ASSERT_EQ(link.write(bytesOf("A")), 1);
    sys.alwaysEagain = true;
    uint64_t before = clock.nowMs();
    EXPECT_EQ(link.write(bytesOf("hello")), 0);
    EXPECT_GE(clock.nowMs() - before, 1000u);
    EXPECT_LT(clock.nowMs() - before, 1100u);
}

TEST_F(SerialLinkTest, WakeUpThatNeverGoesOutFailsTheWrite) {
    sys.alwaysEagain = true;
    EXPECT_EQ(link.write(bytesOf("hello")), 0);
    EXPECT_LT(clock.sleptMs(), 1100u);  // no 350 ms pause after a failed wake-up
}

TEST_F(SerialLinkTest, InputArrivingDuringAWriteIsDiscardedAndTheWriteIsNotCut) {
    ASSERT_EQ(link.write(bytesOf("A")), 1);
    pty.readFromHost(3);
    bool sent = false;
    sys.beforeWrite = [&](size_t) {
        if (!sent) pty.sendToHost("stale answer", link.fd());
        sent = true;
    };
    std::vector<uint8_t> data(130, 'z');
    ASSERT_EQ(link.write(data), 130);
    uint8_t buf[64] = {};
    EXPECT_EQ(link.read(buf), 0);
    EXPECT_EQ(pty.readFromHost(130), data);

    // What arrives after the write is kept.
    pty.sendToHost("ok", link.fd());
    EXPECT_EQ(link.read(buf), 2);
    EXPECT_EQ(std::string(buf, buf + 2), "ok");
}

TEST_F(SerialLinkTest, AnswerArrivingAsSoonAsTheLastChunkIsHandedOverIsKept) {
    // A printer that answers before the host is back from the write (a loaded host) must not
    // lose its answer to the write's own purge.
    ASSERT_EQ(link.write(bytesOf("A")), 1);
    pty.readFromHost(3);
    std::vector<uint8_t> data(70, 'q');
    sys.afterWrite = [&] {
        if (sys.writes.back().bytes.size() == 6) pty.sendToHost("701\r\n", link.fd());
    };
    ASSERT_EQ(link.write(data), 70);
    uint8_t buf[64] = {};
    ASSERT_EQ(link.read(buf), 5);
    EXPECT_EQ(std::string(buf, buf + 5), "701\r\n");
}

TEST_F(SerialLinkTest, ReadWithNothingWaitingReturnsAtOnceLeavingTheBuffer) {
    uint8_t buf[16];
    std::fill(std::begin(buf), std::end(buf), 0xAA);
    uint64_t before = clock.nowMs();
    EXPECT_EQ(link.read(buf), 0);
    EXPECT_EQ(clock.nowMs(), before);
    for (uint8_t b : buf) EXPECT_EQ(b, 0xAA);
}

TEST_F(SerialLinkTest, ReadGathersWhatWaitsWithinItsBounds) {
    pty.sendToHost("\"00:11:22:33:44:55\"", link.fd());
    uint8_t buf[256] = {};
    uint64_t before = clock.nowMs();
    ASSERT_EQ(link.read(buf), 19);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), 19), "\"00:11:22:33:44:55\"");
    EXPECT_LE(clock.nowMs() - before, 100u);

    // A small buffer is filled and the rest stays for the next read.
    pty.sendToHost("abcdef", link.fd());
    uint8_t small[4] = {};
    EXPECT_EQ(link.read(small), 4);
    EXPECT_EQ(link.read(small), 2);
    EXPECT_EQ(small[0], 'e');
}

TEST_F(SerialLinkTest, ClosedLinkRefusesEverythingAndClosesTwiceHarmlessly) {
    link.close();
    EXPECT_FALSE(link.isOpen());
    link.close();
    uint8_t buf[4];
    EXPECT_EQ(link.write(bytesOf("x")), 0);
    EXPECT_EQ(link.read(buf), 0);
}

TEST(SerialLinkOpen, RejectedBaudLeavesTheDeviceOpenForTheCallerToClose) {
    PtyPair pty;
    SerialLink link;
    SerialSettings s;
    s.baud = 300;
    EXPECT_EQ(link.open(pty.slavePath(), s), -1);
    EXPECT_TRUE(link.isOpen());
    link.close();
    EXPECT_FALSE(link.isOpen());

    for (auto bad : {SerialSettings{19200, 3, 1, 0, 0}, SerialSettings{19200, 0, 2, 0, 0},
                     SerialSettings{19200, 0, 1, 2, 0}}) {
        EXPECT_EQ(link.open(pty.slavePath(), bad), -1);
        EXPECT_TRUE(link.isOpen());
        link.close();
    }
}

TEST(SerialLinkOpen, AcceptsExactlyTheEightRatesWithTheirWriteTimeouts) {
    PtyPair pty;
    SerialLink link;
    const std::pair<int, uint32_t> rates[] = {{1200, 16}, {2400, 8},  {4800, 4},  {9600, 2},
                                              {19200, 1}, {38400, 0}, {57600, 0}, {115200, 0}};
    for (auto [baud, perByte] : rates) {
        SerialSettings s;
        s.baud = baud;
        ASSERT_EQ(link.open(pty.slavePath(), s), 0) << baud;
        EXPECT_EQ(link.writeTimeoutPerByteMs(), perByte) << baud;
        link.close();
    }
    for (int baud : {0, 300, 600, 14400, 230400}) EXPECT_FALSE(SerialLink::isAcceptedBaud(baud));
}

TEST(SerialLinkOpen, MissingDeviceOrNonTerminalFailsWithNothingOpen) {
    SerialLink link;
    EXPECT_EQ(link.open("/dev/does-not-exist-setrion", SerialSettings{}), -1);
    EXPECT_FALSE(link.isOpen());

    auto file = std::filesystem::temp_directory_path() / ("setrion-not-a-tty-" + std::to_string(::getpid()));
    std::ofstream(file) << "x";
    EXPECT_EQ(link.open(file.string(), SerialSettings{}), -1);
    EXPECT_FALSE(link.isOpen());
    std::filesystem::remove(file);
}

TEST(SerialLinkOpen, PortHeldByAnotherLinkIsRefusedUntilReleased) {
    PtyPair pty;
    SerialLink first, second;
    ASSERT_EQ(first.open(pty.slavePath(), SerialSettings{}), 0);
    EXPECT_EQ(second.open(pty.slavePath(), SerialSettings{}), -1);
    EXPECT_FALSE(second.isOpen());
    EXPECT_EQ(second.lastOpenError(), SerialOpenError::Busy);
    first.close();
    EXPECT_EQ(second.open(pty.slavePath(), SerialSettings{}), 0);
}

// A device node the user may not open: the trace names the group that owns it.
TEST(SerialLinkOpen, PermissionDeniedTracesTheGroupThatGrantsAccess) {
    struct DeniedSys : PosixSerialSys {
        int open(const char*, int) override {
            errno = EACCES;
            return -1;
        }
    } sys;
    auto node = std::filesystem::temp_directory_path() / ("setrion-denied-tty-" + std::to_string(::getpid()));
    std::ofstream(node) << "";
    // gid 20 is dialout on Debian; giving a file to it needs root or membership.
    if (::chown(node.c_str(), static_cast<uid_t>(-1), 20) != 0 ||
        deviceGroupName(node.string()) != "dialout") {
        std::filesystem::remove(node);
        GTEST_SKIP() << "no dialout group to hand the file to";
    }
    std::vector<std::string> lines;
    auto previous = setTraceSink([&](std::string_view l) { lines.emplace_back(l); });
    SerialLink link(systemClock(), sys);
    EXPECT_EQ(link.open(node.string(), SerialSettings{}), -1);
    setTraceSink(previous);
    std::filesystem::remove(node);
    EXPECT_EQ(link.lastOpenError(), SerialOpenError::PermissionDenied);
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "open " + node.string() + ": permission denied; the group dialout grants "
                         "access (sudo usermod -aG dialout $USER, then log in again)"}));
}

TEST(SerialLinkOpen, FailedConfigurationTracesSetCommState) {
    PtyPair pty;
    ManualClock clock;
    RecordingSys sys(clock);
    sys.failTcsetattr = true;
    std::vector<std::string> lines;
    auto previous = setTraceSink([&](std::string_view l) { lines.emplace_back(l); });
    SerialLink link(clock, sys);
    EXPECT_EQ(link.open(pty.slavePath(), SerialSettings{}), -1);
    setTraceSink(previous);
    EXPECT_TRUE(link.isOpen());
    EXPECT_EQ(lines, (std::vector<std::string>{"SetCommState"}));
}

TEST(SerialLinkOpen, LineSettingsMapToTermios) {
    PtyPair pty;
    ManualClock clock;
    RecordingSys sys(clock);
    SerialLink link(clock, sys);

    // Odd parity, 7 data bits, 2 stop bits, Xon/Xoff at 9600.
    ASSERT_EQ(link.open(pty.slavePath(), SerialSettings{9600, 1, 0, 1, 1}), 0);
    termios t = *sys.applied;
    EXPECT_EQ(cfgetospeed(&t), B9600);
    EXPECT_TRUE(t.c_cflag & PARENB);
    EXPECT_TRUE(t.c_cflag & PARODD);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS7));
    EXPECT_TRUE(t.c_cflag & CSTOPB);
    EXPECT_TRUE(t.c_iflag & IXON);
    EXPECT_TRUE(t.c_iflag & IXOFF);
    EXPECT_EQ(t.c_cc[VSTART], 0x11);
    EXPECT_EQ(t.c_cc[VSTOP], 0x13);
    EXPECT_FALSE(t.c_cflag & CRTSCTS);
    EXPECT_FALSE(t.c_lflag & ICANON);
    EXPECT_FALSE(t.c_oflag & OPOST);
    link.close();

    // Even parity, 8 bits, 1 stop bit, RTS handshake.
    ASSERT_EQ(link.open(pty.slavePath(), SerialSettings{115200, 2, 1, 0, 2}), 0);
    t = *sys.applied;
    EXPECT_TRUE(t.c_cflag & PARENB);
    EXPECT_FALSE(t.c_cflag & PARODD);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_FALSE(t.c_cflag & CSTOPB);
    EXPECT_TRUE(t.c_cflag & CRTSCTS);
    EXPECT_FALSE(t.c_iflag & IXON);
    link.close();

    // No parity, DTR/DSR: no software or hardware handshake, DTR and RTS raised
    // (the pty refuses the modem ioctl; the open still succeeds).
    sys.modemIoctls.clear();
    ASSERT_EQ(link.open(pty.slavePath(), SerialSettings{19200, 0, 1, 0, 0}), 0);
    t = *sys.applied;
    EXPECT_FALSE(t.c_cflag & PARENB);
    EXPECT_FALSE(t.c_cflag & CRTSCTS);
    EXPECT_FALSE(t.c_iflag & (IXON | IXOFF));
    ASSERT_EQ(sys.modemIoctls.size(), 1u);
    EXPECT_EQ(sys.modemIoctls[0].first, static_cast<unsigned long>(TIOCMBIS));
    EXPECT_EQ(sys.modemIoctls[0].second, TIOCM_DTR | TIOCM_RTS);
    link.close();

    // Flow index 3 keeps the port's flow settings.
    sys.modemIoctls.clear();
    ASSERT_EQ(link.open(pty.slavePath(), SerialSettings{19200, 0, 1, 0, 3}), 0);
    EXPECT_TRUE(sys.modemIoctls.empty());
}

}  // namespace
}  // namespace setrion
