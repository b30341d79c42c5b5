#include "gui/demo_simulator.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

namespace setrion::gui {

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
    m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/setrion-demo-XXXXXX");
    if (!m_dir->isValid()) return "cannot create a temporary folder: " + m_dir->errorString();
    m_link = m_dir->filePath("COM1");
    m_state = m_dir->filePath("state.json");
    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::ForwardedChannels);
    m_process->start(simulatorPath, QStringList{"--link", m_link, "--state", m_state} + extraArgs);
    if (!m_process->waitForStarted(kStartTimeoutMs)) {
        const QString why = m_process->errorString();
        stop();
        return "cannot start " + simulatorPath + ": " + why;
    }
    QElapsedTimer waited;
    waited.start();
    while (!QFileInfo::exists(m_link)) {
        if (m_process->state() != QProcess::Running) {
            stop();
            return "setrion-sim ended before its port was ready";
        }
        if (waited.elapsed() > kStartTimeoutMs) {
            stop();
            return "setrion-sim did not make its port ready in time";
        }
        QThread::msleep(10);
    }
    return {};
}

bool DemoSimulator::running() const {
    return m_process && m_process->state() == QProcess::Running;
}

void DemoSimulator::stop() {
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
    m_dir.reset();
    m_link.clear();
    m_state.clear();
}

}  // namespace setrion::gui
