#include "gui/qt/net_options.h"

#include "wifi/net/net_types.h"

namespace setrion::gui {
namespace {

QString port(const QCommandLineParser& p, const QCommandLineOption& o, uint16_t& out) {
    bool ok = false;
    const uint value = p.value(o).toUInt(&ok);
    if (!ok || value == 0 || value > 65535) return "--" + o.names().front() + ": not a port number: " + p.value(o);
    out = static_cast<uint16_t>(value);
    return {};
}

}  // namespace

NetOptions::NetOptions()
    : m_broadcast("broadcast", "Broadcast address of the network search and save (default 255.255.255.255).",
                  "IP", "255.255.255.255"),
      m_mgmtPort("mgmt-port", "The modules' management port (default 50005).", "PORT",
                 QString::number(net::kDefaultManagementPort)),
      m_mgmtLocalPort("mgmt-local-port", "Management port bound here (default: --mgmt-port).", "PORT"),
      m_textPort("text-port", "The printers' text-frame port (default 61001).", "PORT",
                 QString::number(net::kDefaultTextPort)),
      m_textLocalPort("text-local-port", "Text-frame port bound here (default: --text-port).", "PORT"),
      m_protocolKey("protocol-key", "Management key prefix, 28 hex digits (or SETRION_PROTOCOL_KEY).", "HEX"),
      m_allInterfaces("all-interfaces", "Also search on every interface's broadcast address.") {}

void NetOptions::addTo(QCommandLineParser& parser) const {
    parser.addOptions({m_broadcast, m_mgmtPort, m_mgmtLocalPort, m_textPort, m_textLocalPort,
                       m_protocolKey, m_allInterfaces});
}

QString NetOptions::read(const QCommandLineParser& p, net::NetConfig& c) const {
    auto ip = net::parseIpv4(p.value(m_broadcast).toStdString());
    if (!ip) return "--broadcast: not an IPv4 address: " + p.value(m_broadcast);
    c.broadcast = *ip;
    if (QString why = port(p, m_mgmtPort, c.mgmtPort); !why.isEmpty()) return why;
    if (QString why = port(p, m_textPort, c.textPort); !why.isEmpty()) return why;
    c.mgmtLocalPort = c.mgmtPort;
    c.textLocalPort = c.textPort;
    if (p.isSet(m_mgmtLocalPort))
        if (QString why = port(p, m_mgmtLocalPort, c.mgmtLocalPort); !why.isEmpty()) return why;
    if (p.isSet(m_textLocalPort))
        if (QString why = port(p, m_textLocalPort, c.textLocalPort); !why.isEmpty()) return why;
    std::string envError;
    c.protocolKey = net::protocolKeyFromEnvironment(&envError);
    if (!envError.empty()) return QString::fromStdString(envError);
    if (p.isSet(m_protocolKey)) {
        auto key = net::parseProtocolKey(p.value(m_protocolKey).toStdString());
        if (!key) return "--protocol-key must be 28 hexadecimal digits";
        c.protocolKey = *key;
    }
    c.allInterfaces = p.isSet(m_allInterfaces);
    return {};
}

}  // namespace setrion::gui
