#include "gui/qt/net_options.h"

#include "gui/session_options.h"

namespace setrion::gui {

NetOptions::NetOptions()
    : m_broadcast("broadcast",
                  "Broadcast address of the network search and save (default 255.255.255.255).",
                  "IP", "255.255.255.255"),
      m_mgmtPort("mgmt-port", "The modules' management port (default 50005).", "PORT",
                 QString::number(net::kDefaultManagementPort)),
      m_mgmtLocalPort("mgmt-local-port", "Management port bound here (default: --mgmt-port).",
                      "PORT"),
      m_textPort("text-port", "The printers' text-frame port (default 61001).", "PORT",
                 QString::number(net::kDefaultTextPort)),
      m_textLocalPort("text-local-port", "Text-frame port bound here (default: --text-port).",
                      "PORT"),
      m_protocolKey("protocol-key",
                    "Management key prefix, 28 hex digits (or SETRION_PROTOCOL_KEY).", "HEX"),
      m_allInterfaces("all-interfaces", "Also search on every interface's broadcast address.") {}

void NetOptions::addTo(QCommandLineParser& parser) const {
    parser.addOptions({m_broadcast, m_mgmtPort, m_mgmtLocalPort, m_textPort, m_textLocalPort,
                       m_protocolKey, m_allInterfaces});
}

QString NetOptions::read(const QCommandLineParser& p, net::NetConfig& c) const {
    const std::vector<const QCommandLineOption*> valued{
        &m_broadcast, &m_mgmtPort, &m_mgmtLocalPort, &m_textPort, &m_textLocalPort, &m_protocolKey};
    const OptionValue value = [&](std::string_view name) -> std::optional<std::string> {
        for (const QCommandLineOption* o : valued)
            if (o->names().front().toStdString() == name && p.isSet(*o))
                return p.value(*o).toStdString();
        return std::nullopt;
    };
    return QString::fromStdString(readNetConfig(value, p.isSet(m_allInterfaces), c));
}

}  // namespace setrion::gui
