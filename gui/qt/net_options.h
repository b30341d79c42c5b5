#pragma once
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <vector>

#include "wifi/net/net_config.h"

namespace setrion::gui {

// The LAN options of the desktop program, the same as `setrion-cli net`'s: where the
// network search and save send and which ports they bind. Defaults are the real LAN's.
class NetOptions {
public:
    NetOptions();
    void addTo(QCommandLineParser& parser) const;
    // The configuration from the parsed options and SETRION_PROTOCOL_KEY; an error text,
    // empty when every value is good.
    QString read(const QCommandLineParser& parser, net::NetConfig& config) const;

private:
    QCommandLineOption m_broadcast, m_mgmtPort, m_mgmtLocalPort, m_textPort, m_textLocalPort,
        m_protocolKey, m_allInterfaces;
};

}  // namespace setrion::gui
