// setrion: the desktop program. Shows the main settings dialog until it is closed.
#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <set>

#include "app/display.h"
#include "app/startup.h"
#include "common/interrupt.h"
#include "common/trace.h"
#include "gui/qt/demo_lan.h"
#include "gui/qt/demo_simulator.h"
#include "gui/qt/icons.h"
#include "gui/main_session.h"
#include "gui/qt/net_options.h"
#include "gui/qt/qt_shell.h"
#include "setrion_version.h"
#include "ui/wifi/wifi_ini_file.h"
#include "wifi/net/udp_socket.h"
#include "wifi/settings/wifi_ini.h"

namespace {

// Qt's own options of a windowed program, taken by QApplication rather than by our parser
// (those in the first list take a value).
const std::set<QString> kQtValueOptions{
    "platform",        "platformpluginpath", "platformtheme", "plugin",
    "qwindowgeometry", "qwindowicon",        "qwindowtitle",  "session",
    "display",         "geometry",           "style",         "stylesheet"};
const std::set<QString> kQtFlagOptions{"reverse", "widgetcount", "nograb", "dograb"};

QStringList withoutQtOptions(const QStringList& args) {
    QStringList out;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (i > 0 && a.startsWith('-') && !a.startsWith("--")) {
            const QString name = a.mid(1).section('=', 0, 0);
            if (kQtFlagOptions.count(name)) continue;
            if (kQtValueOptions.count(name)) {
                if (!a.contains('=')) ++i;
                continue;
            }
        }
        out << a;
    }
    return out;
}

bool g_windowUp = false;
QtMessageHandler g_qtHandler = nullptr;

// A display that passed the look before start-up may still refuse Qt (authority, a remote
// display): Qt's fatal message then becomes the program's one line and exit 2, not an abort.
void onQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg && !g_windowUp) {
        std::fprintf(stderr, "setrion: no display: the window system refused to start (%s); %s\n",
                     message.section('\n', 0, 0).toLocal8Bit().constData(),
                     setrion::app::kNoDisplayHint);
        std::_Exit(2);
    }
    if (g_qtHandler) g_qtHandler(type, context, message);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace setrion;
    // A termination signal ends a running sequence at its next step, leaves command mode and
    // ends the program through its ordinary exit (the demo's simulators and folders go too); a
    // second one ends it at once.
    installInterruptHandlers();
    QCoreApplication::setApplicationName("setrion");
    QCoreApplication::setApplicationVersion(SETRION_VERSION);

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
    // The options are read before any window system is touched, so --help and --version work
    // anywhere. The embedding/automation switches belong to start-up, not to the parser.
    std::vector<std::string> args;
    {
        QCoreApplication options(argc, argv);
        QStringList parsed;
        for (const QString& a : withoutQtOptions(QCoreApplication::arguments())) {
            args.push_back(a.toStdString());
            if (!app::isAutomationStart({a.toStdString()})) parsed << a;
        }
        parser.process(parsed);
    }
    if (parser.isSet(traceOpt)) setTraceEnabled(true);
    if (const std::string why = app::displayProblem(); !why.empty()) {
        std::fprintf(stderr, "setrion: no display: %s; %s\n", why.c_str(), app::kNoDisplayHint);
        return 2;
    }
    g_qtHandler = qInstallMessageHandler(onQtMessage);
    QApplication app(argc, argv);
    g_windowUp = true;
    // Lets the desktop match the window to the installed menu entry and its icon.
    QApplication::setDesktopFileName("org.setrion.Setrion");
    QApplication::setWindowIcon(gui::windowIcon());
    // The signal's request is looked at from the event loop: it ends every loop, and the
    // program unwinds (dialogs leave command mode, the demo stops its simulators).
    QTimer interruptWatch;
    QObject::connect(&interruptWatch, &QTimer::timeout, [] {
        if (interruptSignal() > 0) QCoreApplication::exit(interruptExitCode());
    });
    interruptWatch.start(100);

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
        std::fprintf(stderr, "setrion: Wi-Fi dialog INI file %s\n", wifiIniPath.string().c_str());
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
        net::UdpOptions options;
        options.broadcast = false;
        int error = 0;
        return net::openUdpSocket(options, error) != nullptr;
    };
    steps.runMainDialog = [&] { shell.runModal(session.dialog()); };
    steps.showMessage = [&](const std::string& text) { shell.message(text); };
    const int rc = app::runStartup(steps, args).exitCode;
    return interruptSignal() > 0 ? interruptExitCode() : rc;
}
