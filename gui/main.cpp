// setrion: the desktop program. Shows the main settings dialog until it is closed.
#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "app/startup.h"

#include "common/trace.h"
#include "gui/demo_lan.h"
#include "gui/demo_simulator.h"
#include "gui/icons.h"
#include "gui/main_session.h"
#include "gui/net_options.h"
#include "gui/qt_shell.h"
#include "ui/wifi/wifi_ini_file.h"
#include "wifi/settings/wifi_ini.h"
#include "setrion_version.h"

int main(int argc, char** argv) {
    using namespace setrion;
    QApplication app(argc, argv);
    QApplication::setApplicationName("setrion");
    QApplication::setApplicationVersion(SETRION_VERSION);
    // Lets the desktop match the window to the installed menu entry and its icon.
    QApplication::setDesktopFileName("org.setrion.Setrion");
    QApplication::setWindowIcon(gui::windowIcon());

    QCommandLineParser parser;
    parser.setApplicationDescription("Configures Qx7 printers and their Wi-Fi module.");
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption map("map", "Map a port name to a device: COMn=PATH (repeatable).",
                                 "COMn=PATH");
    const QCommandLineOption demo("demo", "Run against a simulated printer mapped to COM1.");
    const QCommandLineOption emulation("demo-emulation",
                                       "The simulated printer's emulation (default escpos).",
                                       "NAME", "escpos");
    const QCommandLineOption traceOpt("trace", "Write diagnostic trace lines to stderr.");
    const QCommandLineOption wifiIni(
        "wifi-ini",
        "The Wi-Fi dialog's INI file (default ./Tessun_WIFI.ini; with --demo the demo's own).",
        "PATH");
    parser.addOptions({map, demo, emulation, traceOpt, wifiIni});
    const gui::NetOptions netOptions;
    netOptions.addTo(parser);
    // The embedding/automation switches belong to start-up, not to the option parser.
    std::vector<std::string> args;
    QStringList parsed;
    for (const QString& a : QApplication::arguments()) {
        args.push_back(a.toStdString());
        if (!app::isAutomationStart({a.toStdString()})) parsed << a;
    }
    parser.process(parsed);
    if (parser.isSet(traceOpt)) setTraceEnabled(true);

    net::NetConfig netConfig;
    if (const QString why = netOptions.read(parser, netConfig); !why.isEmpty()) {
        std::fprintf(stderr, "setrion: %s\n", why.toLocal8Bit().constData());
        return 1;
    }
    std::vector<std::string> mappings;
    for (const QString& m : parser.values(map)) mappings.push_back(m.toStdString());
    gui::DemoSimulator sim;
    gui::DemoLan lan;
    if (parser.isSet(demo)) {
        const QString why = sim.start(gui::DemoSimulator::findSimulator(QApplication::applicationDirPath()),
                                      {"--emulation", parser.value(emulation)});
        if (!why.isEmpty()) {
            std::fprintf(stderr, "setrion: --demo: %s\n", why.toLocal8Bit().constData());
            return 1;
        }
        if (const QString more = gui::startDemoWifiPrinters(sim); !more.isEmpty()) {
            std::fprintf(stderr, "setrion: --demo: %s\n", more.toLocal8Bit().constData());
            return 1;
        }
        for (const QString& port : gui::kDemoPorts) {
            mappings.push_back((port + "=" + sim.linkPath(port)).toStdString());
            std::fprintf(stderr, "setrion: %s on %s (%s)\n",
                         gui::demoPortRole(port).toLocal8Bit().constData(),
                         port.toLocal8Bit().constData(), sim.linkPath(port).toLocal8Bit().constData());
        }
        // The Wi-Fi dialog's "LAN (network search)" finds the simulated LAN on loopback.
        if (const QString lanWhy = lan.start(gui::DemoSimulator::findSimulator(QApplication::applicationDirPath()));
            !lanWhy.isEmpty()) {
            std::fprintf(stderr, "setrion: --demo: %s\n", lanWhy.toLocal8Bit().constData());
            return 1;
        }
        netConfig = lan.config();
        std::fprintf(stderr, "setrion: simulated LAN on 127.255.255.255 (management port %u, text port %u)\n",
                     netConfig.mgmtPort, netConfig.textPort);
    }
    std::filesystem::path wifiIniPath = wifi::defaultWifiIniPath();
    if (parser.isSet(wifiIni))
        wifiIniPath = parser.value(wifiIni).toStdString();
    else if (parser.isSet(demo))
        wifiIniPath = gui::demoWifiIniPath(sim).toStdString();
    trace("Wi-Fi INI file: " + wifiIniPath.string());
    if (parser.isSet(demo))
        std::fprintf(stderr, "setrion: Wi-Fi dialog INI file %s\n", wifiIniPath.c_str());
    ui::WifiIniFileAccess wifiIniFile(wifiIniPath);
    PortMap ports;
    if (const std::string why = gui::parsePortMappings(mappings, ports); !why.empty()) {
        std::fprintf(stderr, "setrion: %s\n", why.c_str());
        return 1;
    }

    gui::QtShell shell;
    gui::MainSession session(shell, std::move(ports), nullptr, &wifiIniFile);
    session.setNetConfig(netConfig);
    app::StartupSteps steps;
    // The network search needs datagram sockets; without them the program cannot work.
    steps.initSockets = [] {
        const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        if (fd < 0) return false;
        ::close(fd);
        return true;
    };
    steps.runMainDialog = [&] { shell.runModal(session.dialog()); };
    steps.showMessage = [&](const std::string& text) { shell.message(text); };
    return app::runStartup(steps, args).exitCode;
}
