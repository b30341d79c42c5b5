#pragma once
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <vector>

namespace setrion::gui {

// The simulated printers the --demo option runs beside the window: setrion-sim processes
// sharing one private temporary folder, each printer reachable through a link named after its
// port (COM1, COM2, ...) in that folder; all stopped and the folder removed when this object
// goes.
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

    // Stops whatever runs, makes a fresh folder and starts the first printer, "COM1", waiting
    // (bounded) until its pty link exists. Returns an error text, empty on success.
    QString start(const QString& simulatorPath, const QStringList& extraArgs = {});
    // Another printer beside the first: setrion-sim --link <folder>/<port> --state
    // <folder>/<port>.json with `extraArgs`. Needs a successful start().
    QString addPrinter(const QString& port, const QStringList& extraArgs);
    // Another simulator run without a printer link (for example a subcommand such as the LAN
    // modules); it only has to be running after a short settling time.
    QString addProcess(const QString& name, const QStringList& args);

    void stop();
    // Every simulator started is still running.
    bool running() const;
    // The first printer's pty link and state file.
    QString linkPath() const { return linkPath("COM1"); }
    QString statePath() const { return statePath("COM1"); }
    // Those of the printer started for `port` (empty when there is none).
    QString linkPath(const QString& port) const;
    QString statePath(const QString& port) const;
    // The shared folder (empty when nothing runs), for files the demo puts beside the
    // simulators.
    QString folder() const;

private:
    struct Instance {
        QString name;
        QString link;  // empty for a process without a printer link
        QString state;
        std::unique_ptr<QProcess> process;
    };
    QString launch(Instance instance, const QStringList& args);
    const Instance* find(const QString& name) const;

    QString m_simulator;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::vector<Instance> m_instances;
};

// The demo's ports: COM1 the printer for the main dialog; COM2 a printer whose Wi-Fi module
// is a command-mode module of generation 3; COM3 one with a settings-block module.
inline const QStringList kDemoPorts{"COM1", "COM2", "COM3"};
// What runs on a demo port, for the start-up lines.
QString demoPortRole(const QString& port);
// Starts the COM2 and COM3 printers beside a started COM1 and puts the demo's Wi-Fi INI file
// (the settings-block module's starting values) into the simulators' folder. Returns an error
// text, empty on success.
QString startDemoWifiPrinters(DemoSimulator& sim);
// The demo's Wi-Fi INI file.
QString demoWifiIniPath(const DemoSimulator& sim);

}  // namespace setrion::gui
