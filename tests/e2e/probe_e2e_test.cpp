#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/sim_process.h"

using setrion::test::ProcessResult;
using setrion::test::runProcess;
using setrion::test::SimProcess;

TEST(ProbeEndToEnd, EveryEmulationIsNamed) {
    const std::pair<const char*, const char*> cases[] = {
        {"cpcl", "CPCL\n"}, {"escpos", "ESC/POS\n"}, {"mpcl", "MPCL\n"},
        {"zpl", "ZPL\n"},   {"epl", "EPL\n"},        {"dpl", "DPL\n"}};
    for (auto [emulation, shown] : cases) {
        SimProcess sim({"--emulation", emulation});
        ASSERT_TRUE(sim.ready());
        ProcessResult r = sim.cli({"probe"});
        EXPECT_EQ(r.exitCode, 0) << emulation << ": " << r.err;
        EXPECT_EQ(r.out, shown);
        // The first write after opening wakes the printer with two zero bytes.
        EXPECT_EQ(sim.recorded(), std::string("\0\0\x1C" "EC", 5));
    }
}

TEST(ProbeEndToEnd, AnswerBytesMapByTheirLastByte) {
    struct Case {
        const char* hex;
        int exitCode;
        const char* out;
        const char* err;
    } cases[] = {
        {"30", 0, "CPCL\n", ""},
        {"31", 0, "ESC/POS\n", ""},
        {"414233", 0, "ZPL\n", ""},
        {"37", 2, "", "Failed to read emulation\n"},
    };
    for (const auto& c : cases) {
        SimProcess sim({"--probe-answer", c.hex});
        ASSERT_TRUE(sim.ready());
        ProcessResult r = sim.cli({"probe"});
        EXPECT_EQ(r.exitCode, c.exitCode) << c.hex;
        EXPECT_EQ(r.out, c.out) << c.hex;
        EXPECT_EQ(r.err, c.err) << c.hex;
    }
}

TEST(ProbeEndToEnd, SilentPrinterIsReportedAfterAboutTwoSeconds) {
    SimProcess sim({"--silent"});
    ASSERT_TRUE(sim.ready());
    ProcessResult r = sim.cli({"probe"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "No Response in printer\n");
    EXPECT_GT(r.seconds, 1.5);
    EXPECT_LT(r.seconds, 6.0);
}

TEST(ProbeEndToEnd, GetvarTalksWithoutAProbeAndSetvarAfterOne) {
    SimProcess sim({"--emulation", "cpcl"});
    ASSERT_TRUE(sim.ready());
    ProcessResult set = sim.cli({"setvar", "bluetooth.discoverable", "off"});
    EXPECT_EQ(set.exitCode, 0) << set.err;
    ProcessResult get = sim.cli({"getvar", "bluetooth.discoverable"});
    EXPECT_EQ(get.exitCode, 0) << get.err;
    EXPECT_EQ(get.out, "off\n");  // quotes stripped
    std::string rec = sim.recorded();
    EXPECT_NE(rec.find("! U1 setvar \"bluetooth.discoverable\" \"off\"\r\n"), std::string::npos);
    EXPECT_NE(rec.find("! U1 getvar \"bluetooth.discoverable\"\r\n"), std::string::npos);
    // setvar is probe-gated (a silent printer must not look set); getvar talks at once.
    const size_t probe = rec.find("\x1C" "EC");
    EXPECT_LT(probe, rec.find("! U1 setvar"));
    EXPECT_EQ(rec.find("\x1C" "EC", probe + 1), std::string::npos);
}

TEST(ProbeEndToEnd, PortsThatCannotBeOpenedFailAtOnce) {
    const std::string cli = setrion::test::cliPath();
    auto tmp = std::filesystem::temp_directory_path() / ("setrion-notatty-" + std::to_string(::getpid()));
    { std::ofstream(tmp) << "x"; }
    // The program's message, then the reason.
    for (const auto& [port, reason] :
         {std::pair<std::string, std::string>{tmp.string(), tmp.string() + " is a regular file, not a serial port"},
          {"/dev/setrion-missing-device", "no such device: /dev/setrion-missing-device"},
          {"/dev/null", "/dev/null is not a serial port"},
          {"/dev/tty", "/dev/tty is the session's terminal, not a serial port"}}) {
        ProcessResult r = runProcess({cli, "--port", port, "probe"});
        EXPECT_EQ(r.exitCode, 2) << port;
        EXPECT_EQ(r.err, "Serial Port Open Failed\n" + reason + "\n") << port;
        EXPECT_LT(r.seconds, 2.0) << port;
    }
    std::filesystem::remove(tmp);

    ProcessResult usb = runProcess({cli, "--port", "USB", "probe"});
    EXPECT_EQ(usb.exitCode, 2);
    EXPECT_EQ(usb.err, "USB Port Open Failed\n");
    EXPECT_LT(usb.seconds, 2.0);
}

TEST(ProbeEndToEnd, PortHeldByAnotherProcessIsRefused) {
    SimProcess sim({"--emulation", "cpcl"});
    ASSERT_TRUE(sim.ready());
    int fd = ::open(sim.link().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    ProcessResult r = sim.cli({"probe"});
    EXPECT_EQ(r.exitCode, 2);
    // The lock names its holder: this test.
    EXPECT_EQ(r.err.rfind("Serial Port Open Failed\n" + sim.link() + " is busy: held by process " +
                              std::to_string(::getpid()) + " (",
                          0),
              0u)
        << r.err;
    ::close(fd);
    EXPECT_EQ(sim.cli({"probe"}).exitCode, 0);
}

TEST(ProbeEndToEnd, ArbitraryVariablesAreStoredAndReadBack) {
    SimProcess sim({"--emulation", "cpcl"});
    ASSERT_TRUE(sim.ready());
    // A name the printer has never been given reads back as "?".
    ProcessResult unknown = sim.cli({"getvar", "device.friendly_name"});
    EXPECT_EQ(unknown.exitCode, 0) << unknown.err;
    EXPECT_EQ(unknown.out, "?\n");

    EXPECT_EQ(sim.cli({"setvar", "device.friendly_name", "Shelf 12"}).exitCode, 0);
    ProcessResult get = sim.cli({"getvar", "device.friendly_name"});
    EXPECT_EQ(get.exitCode, 0) << get.err;
    EXPECT_EQ(get.out, "Shelf 12\n");

    auto state = sim.stateWhen([](const nlohmann::json& j) {
        return j.contains("settings") && j["settings"]["variables"].contains("device.friendly_name");
    });
    EXPECT_EQ(state["settings"]["variables"]["device.friendly_name"], "Shelf 12");
}
