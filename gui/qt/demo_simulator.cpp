#include "gui/qt/demo_simulator.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

#include "app/stale_folders.h"
#include "common/atomic_file.h"
#include "common/interrupt.h"
#include "wifi/settings/wifi_ini.h"

namespace setrion::gui {

namespace {

// How long a simulator without a link must stay up to count as started.
constexpr int kSettleMs = 200;

void stopProcess(QProcess& p) {
    if (p.state() == QProcess::NotRunning) return;
    p.terminate();
    if (!p.waitForFinished(DemoSimulator::kStopTimeoutMs)) {
        p.kill();
        p.waitForFinished(DemoSimulator::kStopTimeoutMs);
    }
}

}  // namespace

QString DemoSimulator::findSimulator(const QString& appDir) {
    const QString env = qEnvironmentVariable("SETRION_SIM");
    if (!env.isEmpty()) return QFileInfo(env).isExecutable() ? env : QString();
    for (const QString& candidate :
         {appDir + "/setrion-sim", appDir + "/../sim/setrion-sim"}) {
        if (QFileInfo(candidate).isExecutable()) return QFileInfo(candidate).canonicalFilePath();
    }
    return QStandardPaths::findExecutable("setrion-sim");
}

QString DemoSimulator::start(const QString& simulatorPath, const QStringList& extraArgs) {
    stop();
    if (simulatorPath.isEmpty()) return "setrion-sim was not found";
    // Folders of a demo killed outright are removed; their INI files hold keys.
    app::removeStaleFolders(QDir::tempPath().toStdString(), "setrion-demo-");
    m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/setrion-demo-XXXXXX");
    if (!m_dir->isValid()) {
        const QString why = m_dir->errorString();
        m_dir.reset();
        return "cannot create a temporary folder: " + why;
    }
    // A second termination signal ends the program at once; the folder (its INI holds WPA
    // keys) goes with it.
    removeOnAbruptExit(m_dir->path().toStdString());
    app::markFolderOwner(m_dir->path().toStdString());
    m_simulator = simulatorPath;
    const QString why = addPrinter("COM1", extraArgs);
    if (!why.isEmpty()) stop();
    return why;
}

QString DemoSimulator::addPrinter(const QString& port, const QStringList& extraArgs) {
    if (!m_dir) return "the demo's simulators are not started";
    Instance in;
    in.name = port;
    in.link = m_dir->filePath(port);
    in.state = m_dir->filePath(port + ".json");
    const QStringList args = QStringList{"--link", in.link, "--state", in.state} + extraArgs;
    return launch(std::move(in), args);
}

QString DemoSimulator::addProcess(const QString& name, const QStringList& args) {
    if (!m_dir) return "the demo's simulators are not started";
    Instance in;
    in.name = name;
    return launch(std::move(in), args);
}

QString DemoSimulator::launch(Instance in, const QStringList& args) {
    in.process = std::make_unique<QProcess>();
    in.process->setProcessChannelMode(QProcess::ForwardedChannels);
    in.process->setWorkingDirectory(m_dir->path());
    // The simulator ends with this program, whatever ends it.
#ifdef Q_OS_UNIX  // a child process modifier exists only there
    in.process->setChildProcessModifier([parent = currentProcessId()] { endWithParent(parent); });
#endif
    in.process->start(m_simulator, args);
    QProcess& p = *in.process;
    if (!p.waitForStarted(kStartTimeoutMs)) return "cannot start " + m_simulator + ": " + p.errorString();
    QElapsedTimer waited;
    waited.start();
    auto ready = [&] { return in.link.isEmpty() ? waited.elapsed() >= kSettleMs : QFileInfo::exists(in.link); };
    while (!ready()) {
        if (p.state() != QProcess::Running) {
            stopProcess(p);
            return "setrion-sim (" + in.name + ") ended before it was ready";
        }
        if (waited.elapsed() > kStartTimeoutMs) {
            stopProcess(p);
            return "setrion-sim (" + in.name + ") did not make its port ready in time";
        }
        QThread::msleep(10);
    }
    m_instances.push_back(std::move(in));
    return {};
}

const DemoSimulator::Instance* DemoSimulator::find(const QString& name) const {
    for (const Instance& in : m_instances)
        if (in.name == name) return &in;
    return nullptr;
}

QString DemoSimulator::linkPath(const QString& port) const {
    const Instance* in = find(port);
    return in ? in->link : QString();
}

QString DemoSimulator::statePath(const QString& port) const {
    const Instance* in = find(port);
    return in ? in->state : QString();
}

QString DemoSimulator::folder() const { return m_dir ? m_dir->path() : QString(); }

bool DemoSimulator::running() const {
    if (m_instances.empty()) return false;
    for (const Instance& in : m_instances)
        if (in.process->state() != QProcess::Running) return false;
    return true;
}

void DemoSimulator::stop() {
    // Last started first, so a later simulator never outlives the one it was started beside.
    while (!m_instances.empty()) {
        stopProcess(*m_instances.back().process);
        m_instances.pop_back();
    }
    if (m_dir) forgetOnAbruptExit(m_dir->path().toStdString());
    m_dir.reset();
}

namespace {

constexpr const char* kDemoWifiIni =
    "; Wi-Fi settings of the demo's settings-block module (setrion --demo, port COM3).\r\n"
    "; The Wi-Fi dialog starts from them and writes its values back when it closes.\r\n"
    "[WiFiInfo]\r\n"
    "Version=01\r\n"
    "MacAddress=0200005E7A01\r\n"
    "SSID=demo-block\r\n"
    "DHCP=0\r\n"
    "IP=192.168.0.224\r\n"
    "SUBNET=255.255.255.0\r\n"
    "GATEWAY=192.168.0.1\r\n"
    "DNS=192.168.0.1\r\n"
    "MODE=1\r\n"
    "CHANNEL=06\r\n"
    "ENCRYPTION=3\r\n"
    "AUTHENTICATION=1\r\n"
    "USEKEY=1\r\n"
    "WPA=1\r\n"
    "WPAENC=1\r\n"
    "WPAKEY=demo-passphrase\r\n"
    "TCPPORT=9100\r\n";

}  // namespace

QString demoPortRole(const QString& port) {
    if (port == "COM2") return "Wi-Fi demo printer, command-mode module generation 3,";
    if (port == "COM3") return "Wi-Fi demo printer, settings-block module,";
    return "simulated printer";
}

QString startDemoWifiPrinters(DemoSimulator& sim) {
    if (QString why = sim.addPrinter("COM2", {"--module", "command", "--generation", "3"}); !why.isEmpty())
        return why;
    if (QString why = sim.addPrinter("COM3", {"--module", "block"}); !why.isEmpty()) return why;
    std::string error;
    if (!writeFileAtomically(demoWifiIniPath(sim).toStdString(), std::string_view(kDemoWifiIni), &error))
        return QString::fromStdString(error);
    return {};
}

QString demoWifiIniPath(const DemoSimulator& sim) {
    return sim.folder().isEmpty() ? QString() : sim.folder() + "/" + wifi::kWifiIniFileName;
}

}  // namespace setrion::gui
