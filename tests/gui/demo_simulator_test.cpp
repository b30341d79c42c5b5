#include "gui/qt/demo_simulator.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <QFileInfo>

#include "tests/gui/qt_app.h"
#include "wifi/settings/wifi_ini.h"

namespace setrion::gui {
namespace {

const QString kSim = SETRION_BINARY_DIR "/sim/setrion-sim";

TEST(DemoSimulatorTest, FindsTheSimulatorInTheBuildTree) {
    EXPECT_EQ(DemoSimulator::findSimulator(SETRION_BINARY_DIR "/gui"),
              QFileInfo(kSim).canonicalFilePath());
}

TEST(DemoSimulatorTest, StartsAPrinterOnAPtyAndStopsIt) {
    test::app();
    DemoSimulator sim;
    ASSERT_EQ(sim.start(kSim), QString());
    ASSERT_TRUE(sim.running());
    const QString link = sim.linkPath();
    ASSERT_TRUE(QFileInfo(link).isSymLink());

    // The emulation probe FS 'E' 'C' is answered with one byte.
    const int fd = ::open(link.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    const unsigned char probe[] = {0x1C, 'E', 'C'};
    ASSERT_EQ(::write(fd, probe, sizeof probe), 3);
    pollfd p{fd, POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 2000), 1);
    unsigned char answer = 0;
    EXPECT_EQ(::read(fd, &answer, 1), 1);
    ::close(fd);

    sim.stop();
    EXPECT_FALSE(sim.running());
    EXPECT_FALSE(QFileInfo::exists(link));
}

TEST(DemoSimulatorTest, DemoStartsTheWifiPrintersAndItsIniFile) {
    test::app();
    DemoSimulator sim;
    ASSERT_EQ(sim.start(kSim), QString());
    ASSERT_EQ(startDemoWifiPrinters(sim), QString());
    EXPECT_TRUE(sim.running());
    for (const QString& port : kDemoPorts) EXPECT_TRUE(QFileInfo(sim.linkPath(port)).isSymLink()) << port.toStdString();
    EXPECT_EQ(sim.linkPath("COM9"), QString());
    const auto ini = wifi::loadWifiIni(demoWifiIniPath(sim).toStdString());
    ASSERT_TRUE(ini);
    EXPECT_EQ(ini->ssid, "demo-block");
    EXPECT_EQ(ini->tcpPort, 9100);
    const QString folder = sim.folder();
    sim.stop();
    EXPECT_FALSE(sim.running());
    EXPECT_FALSE(QFileInfo::exists(folder));
}

TEST(DemoSimulatorTest, MissingSimulatorIsReported) {
    test::app();
    DemoSimulator sim;
    EXPECT_EQ(sim.start(QString()), QString("setrion-sim was not found"));
    EXPECT_FALSE(sim.running());
    EXPECT_NE(sim.start("/nonexistent/setrion-sim"), QString());
    EXPECT_FALSE(sim.running());
}

}  // namespace
}  // namespace setrion::gui
