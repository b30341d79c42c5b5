#include "gui/qt/demo_lan.h"

#include <QDir>
#include <QElapsedTimer>
#include <array>

#include "app/stale_folders.h"
#include "common/interrupt.h"
#include "wifi/net/udp_socket.h"

namespace setrion::gui {
namespace {

// Four distinct UDP ports free on this machine now (bound at once, then released).
bool freePorts(std::array<uint16_t, 4>& ports) {
    std::array<std::unique_ptr<net::DatagramSocket>, 4> sockets;
    for (size_t i = 0; i < sockets.size(); ++i) {
        net::UdpOptions options;
        options.broadcast = false;
        options.reuseAddress = false;
        int error = 0;
        sockets[i] = net::openUdpSocket(options, error);
        ports[i] = sockets[i] ? sockets[i]->localPort() : 0;
        if (ports[i] == 0) return false;
    }
    return true;
}

}  // namespace

QString DemoLan::start(const QString& simulatorPath, int modules, int textPrinters) {
    stop();
    if (simulatorPath.isEmpty()) return "setrion-sim was not found";
    std::array<uint16_t, 4> ports{};
    if (!freePorts(ports)) return "no free UDP ports for the simulated LAN";
    // Folders of a demo killed outright are removed; their INI files hold keys.
    app::removeStaleFolders(QDir::tempPath().toStdString(), "setrion-lan-");
    m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/setrion-lan-XXXXXX");
    if (!m_dir->isValid()) return "cannot create a temporary folder: " + m_dir->errorString();
    removeOnAbruptExit(m_dir->path().toStdString());
    app::markFolderOwner(m_dir->path().toStdString());
    m_state = m_dir->filePath("lan.json");
    m_config = net::NetConfig{};
    m_config.broadcast = kLoopbackBroadcast;
    m_config.mgmtPort = ports[0];
    m_config.mgmtLocalPort = ports[1];
    m_config.textPort = ports[2];
    m_config.textLocalPort = ports[3];
    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // The simulator ends with this program, whatever ends it.
#ifdef Q_OS_UNIX  // a child process modifier exists only there
    m_process->setChildProcessModifier([parent = currentProcessId()] { endWithParent(parent); });
#endif
    m_process->start(simulatorPath,
                     {"lan", "--mixed", "--modules", QString::number(modules), "--text-printers",
                      QString::number(textPrinters), "--mgmt-port", QString::number(ports[0]),
                      "--text-port", QString::number(ports[2]), "--state", m_state});
    if (!m_process->waitForStarted(kStartTimeoutMs)) {
        const QString why = m_process->errorString();
        stop();
        return "cannot start " + simulatorPath + " lan: " + why;
    }
    QElapsedTimer waited;
    waited.start();
    QByteArray out;
    while (!out.contains("lan ready")) {
        const qint64 left = kStartTimeoutMs - waited.elapsed();
        if (m_process->state() != QProcess::Running || left <= 0) {
            stop();
            return "setrion-sim lan did not become ready";
        }
        m_process->waitForReadyRead(static_cast<int>(left));
        out += m_process->readAllStandardOutput();
    }
    return {};
}

bool DemoLan::running() const { return m_process && m_process->state() == QProcess::Running; }

void DemoLan::stop() {
    if (m_process) {
        if (m_process->state() != QProcess::NotRunning) {
            m_process->terminate();
            if (!m_process->waitForFinished(kStopTimeoutMs)) {
                m_process->kill();
                m_process->waitForFinished(kStopTimeoutMs);
            }
        }
        m_process.reset();
    }
    if (m_dir) forgetOnAbruptExit(m_dir->path().toStdString());
    m_dir.reset();
    m_state.clear();
}

}  // namespace setrion::gui
