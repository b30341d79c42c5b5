#pragma once
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

namespace setrion::gui {

// The simulated printer the --demo option runs beside the window: setrion-sim on a pty,
// reachable through a link in a private temporary folder; stopped when this object goes.
class DemoSimulator {
public:
    static constexpr int kStartTimeoutMs = 5000;
    static constexpr int kStopTimeoutMs = 2000;

    DemoSimulator() = default;
    ~DemoSimulator() { stop(); }
    DemoSimulator(const DemoSimulator&) = delete;
    DemoSimulator& operator=(const DemoSimulator&) = delete;

    // Where setrion-sim is: $SETRION_SIM, beside this program, in the build tree's sim/
    // folder, or on the PATH. Empty when not found.
    static QString findSimulator(const QString& appDir);

    // Starts the simulator and waits (bounded) until its pty link exists. Returns an error
    // text, empty on success.
    QString start(const QString& simulatorPath, const QStringList& extraArgs = {});
    void stop();
    bool running() const;
    // The pty link to open as the printer's serial port.
    QString linkPath() const { return m_link; }
    QString statePath() const { return m_state; }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QProcess> m_process;
    QString m_link;
    QString m_state;
};

}  // namespace setrion::gui
