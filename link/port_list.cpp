#include "link/port_list.h"

namespace setrion {

std::vector<std::string> fixedPortNames() { return portListNames(); }

PortList::PortList(std::vector<std::string> fixedNames) : m_fixed(fixedNames.size()) {
    for (std::string& name : fixedNames) {
        const bool com = name.rfind("COM", 0) == 0;
        m_entries.push_back({name, name, com, false});
    }
}

int PortList::refresh(const std::vector<DiscoveredPort>& ports, int selected) {
    const Entry* before = at(selected);
    const std::string keep = before ? before->portName : std::string();
    m_entries.resize(m_fixed);
    for (const DiscoveredPort& p : ports)
        if (p.mappedTo.empty()) m_entries.push_back({p.listText(), p.device, true, true});
    if (selected >= 0 && static_cast<size_t>(selected) < m_fixed) return selected;
    for (size_t i = m_fixed; i < m_entries.size(); ++i)
        if (m_entries[i].portName == keep) return static_cast<int>(i);
    return 0;
}

std::vector<std::string> PortList::texts() const {
    std::vector<std::string> texts;
    for (const Entry& e : m_entries) texts.push_back(e.text);
    return texts;
}

const PortList::Entry* PortList::at(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= m_entries.size()) return nullptr;
    return &m_entries[static_cast<size_t>(index)];
}

}  // namespace setrion
