// setrion: the desktop program. Shows the main settings dialog; with --demo a simulated
// printer runs beside it on a pty mapped to COM1.
#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>

#include <cstdio>

#include "gui/demo_simulator.h"
#include "gui/dialog_view.h"
#include "gui/qt_shell.h"
#include "link/port_names.h"
#include "link/port_opening.h"
#include "link/serial_link.h"
#include "link/spooler.h"
#include "link/usb_link.h"
#include "ui/main/qx7_serial_set_dlg.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Setrion");
    QCommandLineParser parser;
    parser.setApplicationDescription("Configure Qx7 printers and their Wi-Fi module");
    parser.addHelpOption();
    QCommandLineOption mapOption("map", "Map a port name to a device: COMn=PATH", "COMn=PATH");
    QCommandLineOption demoOption("demo", "Run a simulated printer on COM1");
    parser.addOption(mapOption);
    parser.addOption(demoOption);
    parser.process(app);

    setrion::PortMap portMap;
    for (const QString& m : parser.values(mapOption)) {
        std::string error = setrion::addPortMapping(m.toStdString(), portMap);
        if (!error.empty()) {
            std::fprintf(stderr, "setrion: %s\n", error.c_str());
            return 1;
        }
    }

    setrion::gui::DemoSimulator demo;
    if (parser.isSet(demoOption)) {
        QString sim = setrion::gui::DemoSimulator::findSimulator(QApplication::applicationDirPath());
        QString error = sim.isEmpty() ? QString("setrion-sim was not found") : demo.start(sim);
        if (!error.isEmpty()) {
            QMessageBox::critical(nullptr, "Error", error);
            return 1;
        }
        portMap["COM1"] = demo.linkPath().toStdString();
    }

    setrion::gui::QtShell shell;
    setrion::SerialLink serial;
    setrion::UsbLink usb;
    setrion::StandardPortOpener ports(serial, usb, [&usb] { return usb.open(); });
    std::unique_ptr<setrion::Spooler> spooler = setrion::makeSystemSpooler();

    setrion::ui::MainDialogServices services;
    services.ports = &ports;
    services.spooler = spooler.get();
    services.portMap = portMap;
    setrion::ui::CQx7SerialSetDlg dialog(shell, services);
    shell.runModal(dialog);
    serial.close();
    usb.close();
    return 0;
}
