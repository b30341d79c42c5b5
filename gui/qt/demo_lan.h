#pragma once
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <memory>

#include "wifi/net/net_config.h"

namespace setrion::gui {

// The simulated LAN the --demo option runs beside the window: `setrion-sim lan` with mixed
// modules (generations 1 to 3, WPA2-PSK, WEP64 and WPA-PSK, one with the password "secret")
// and a text-frame printer, on the loopback broadcast with free ports of its own. Stopped
// when this object goes.
class DemoLan {
public:
    static constexpr int kStartTimeoutMs = 5000;
    static constexpr int kStopTimeoutMs = 2000;
    static constexpr uint32_t kLoopbackBroadcast = 0x7FFFFFFF;  // 127.255.255.255

    DemoLan() = default;
    ~DemoLan() { stop(); }
    DemoLan(const DemoLan&) = delete;
    DemoLan& operator=(const DemoLan&) = delete;

    // Starts the simulator and waits (bounded) until it serves. An error text, empty on success.
    QString start(const QString& simulatorPath, int modules = 3, int textPrinters = 1);
    void stop();
    bool running() const;
    // Where the program's search and save must go to reach it.
    const net::NetConfig& config() const { return m_config; }
    // The simulated devices' state (JSON), kept up to date by the simulator.
    QString statePath() const { return m_state; }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QProcess> m_process;
    net::NetConfig m_config;
    QString m_state;
};

}  // namespace setrion::gui
