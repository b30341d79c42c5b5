// setrion-cli ports in-process, with simulated printers on ptys made discoverable through a
// fixed device list.
#include <gtest/gtest.h>
#include <sys/file.h>

#include <chrono>
#include <sstream>

#include "cli/cli_app.h"
#include "link/port_discovery.h"
#include "tests/link/pty_pair.h"
#include "tests/support/sim_process.h"

namespace setrion::cli {
namespace {

struct CliRun {
    int exitCode = -1;
    std::string out, err;
    double seconds = 0;
};

CliRun run(std::vector<std::string> args) {
    args.insert(args.begin(), "setrion-cli");
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    std::ostringstream out, err;
    NullSpooler spooler;
    CliRun r;
    const auto start = std::chrono::steady_clock::now();
    r.exitCode = runCli(static_cast<int>(argv.size()), argv.data(), out, err, &spooler);
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    r.out = out.str();
    r.err = err.str();
    return r;
}

TtyDeviceInfo device(const std::string& name, const std::string& node) {
    TtyDeviceInfo t;
    t.sysName = name;
    t.devNode = node;
    return t;
}

TEST(PortsCommand, ProbesEveryPortAtOnce) {
    test::SimProcess cpcl({"--emulation", "cpcl"});
    test::SimProcess escpos({"--emulation", "escpos"});
    test::SimProcess silent({"--silent"});
    ASSERT_TRUE(cpcl.ready() && escpos.ready() && silent.ready());
    // A port another program holds is reported busy, not waited on.
    test::PtyPair held;
    const int holder = ::open(held.slavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);

    TtyDeviceInfo adapter = device("ttyUSB0", cpcl.link());
    adapter.devLinks = {"/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A6008isP-if00-port0"};
    adapter.vendor = "FTDI";
    adapter.model = "FT232R USB UART";
    adapter.serialNumber = "A6008isP";
    adapter.usbId = "0403:6001";
    adapter.driver = "ftdi_sio";
    FixedDeviceSource devices({device("ttyACM0", silent.link()), adapter, device("rfcomm0", held.slavePath()),
                               device("ttyUSB1", escpos.link())},
                              {{0x12EE, 0x9485, "Maker", "Qx7", "Q1"}});
    ScopedDeviceSource installed(devices);

    CliRun r = run({"--map", "COM4=" + escpos.link(), "--json", "ports", "--probe"});
    ::close(holder);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto j = nlohmann::json::parse(r.out);
    const auto& ports = j.at("ports");
    ASSERT_EQ(ports.size(), 4u) << r.out;
    const std::pair<const char*, const char*> expected[] = {{"ttyUSB0", "CPCL"},
                                                            {"ttyUSB1", "ESC/POS"},
                                                            {"ttyACM0", "No Response in printer"},
                                                            {"rfcomm0", "busy"}};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(ports[i].at("name"), expected[i].first);
        EXPECT_EQ(ports[i].at("probe"), expected[i].second) << expected[i].first;
    }
    EXPECT_EQ(ports[0].at("description"), "FTDI FT232R USB UART (A6008isP)");
    EXPECT_EQ(ports[0].at("byId"), "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A6008isP-if00-port0");
    EXPECT_EQ(ports[1].at("com"), "COM4");
    const nlohmann::json usb = {{{"usbId", "12ee:9485"}, {"description", "Maker Qx7 (Q1)"}}};
    EXPECT_EQ(j.at("usb"), usb);
    // One silent probe takes over two seconds; the three ran side by side.
    EXPECT_GT(r.seconds, 1.5);
    EXPECT_LT(r.seconds, 4.5);
}

TEST(PortsCommand, ListsOnePortALine) {
    TtyDeviceInfo adapter = device("ttyUSB0", "/dev/ttyUSB0");
    adapter.devLinks = {"/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A6008isP-if00-port0"};
    adapter.vendor = "FTDI";
    adapter.model = "FT232R USB UART";
    adapter.usbId = "0403:6001";
    adapter.driver = "ftdi_sio";
    FixedDeviceSource devices({adapter, device("rfcomm0", "/dev/rfcomm0")});
    ScopedDeviceSource installed(devices);
    CliRun r = run({"--map", "COM2=/dev/rfcomm0", "ports"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out,
              "/dev/ttyUSB0  FTDI FT232R USB UART [0403:6001 ftdi_sio]  "
              "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A6008isP-if00-port0\n"
              "/dev/rfcomm0 (COM2)  Bluetooth serial port\n"
              "USB  no printer plugged in\n");
}


// --port all: the command runs on the ports that answer the probe, as with several --port.
TEST(PortAll, RunsTheCommandOnEveryAnsweringPort) {
    test::SimProcess cpcl({"--emulation", "cpcl"});
    test::SimProcess escpos({"--emulation", "escpos"});
    test::SimProcess silent({"--silent"});
    ASSERT_TRUE(cpcl.ready() && escpos.ready() && silent.ready());
    FixedDeviceSource devices(
        {device("ttyUSB0", silent.link()), device("ttyUSB1", escpos.link()), device("ttyACM0", cpcl.link())});
    ScopedDeviceSource installed(devices);

    CliRun r = run({"--json", "--port", "all", "probe"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto all = nlohmann::json::parse(r.out, nullptr, false);
    ASSERT_TRUE(all.is_array()) << r.out;
    ASSERT_EQ(all.size(), 2u) << r.out;
    EXPECT_EQ(all[0].at("port"), escpos.link());
    EXPECT_EQ(all[0].at("emulation"), "ESC/POS");
    EXPECT_EQ(all[1].at("port"), cpcl.link());
    EXPECT_EQ(all[1].at("emulation"), "CPCL");
    EXPECT_EQ(r.err.find(silent.link() + ":"), std::string::npos) << r.err;
}

TEST(PortAll, RefusedWithNothingRun) {
    test::SimProcess silent({"--silent"});
    ASSERT_TRUE(silent.ready());
    struct Case {
        const char* name;
        std::vector<TtyDeviceInfo> ttys;
        std::vector<std::string> args;
        int exitCode;
        std::string message;
    };
    const Case cases[] = {
        {"no port answers", {device("ttyUSB0", silent.link())}, {"--port", "all", "probe"}, 2,
         "--port all: no serial port answers as a printer\n  " + silent.link() + ": No Response in printer\n"},
        {"no ports", {}, {"--port=all", "probe"}, 2, "--port all: no serial ports found\n"},
        {"beside a named port", {device("ttyUSB0", silent.link())}, {"--port", "all", "--port", "COM1", "probe"}, 1,
         "--port all cannot be combined with other --port options\n"},
        {"a command without a port", {device("ttyUSB0", silent.link())}, {"--port", "all", "net", "search"}, 1,
         "--port all: net does not use a port\n"},
    };
    for (const Case& c : cases) {
        FixedDeviceSource devices(c.ttys);
        ScopedDeviceSource installed(devices);
        CliRun r = run(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.name << ": " << r.err;
        EXPECT_EQ(r.out, "") << c.name;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.name << ": " << r.err;
    }
}

}  // namespace
}  // namespace setrion::cli
