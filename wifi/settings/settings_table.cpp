#include "wifi/settings/settings_table.h"

#include <string>

#include "common/trace.h"

namespace setrion::wifi {

OrvaneInformation::OrvaneInformation() { fillWithSpaces(); }

bool OrvaneInformation::loadEntry(std::size_t index) {
    if (index >= kEntries) return false;
    m_using = m_entries[index];
    return true;
}

bool OrvaneInformation::storeEntry(std::size_t index) {
    if (index >= kEntries) return false;
    m_entries[index] = m_using;
    return true;
}

void OrvaneInformation::fillWithSpaces() {
    for (auto& e : m_entries) e.bytes().fill(' ');
    m_using.bytes().fill(' ');
    for (auto& f : m_keyFormats) f.fill(KeyFormat::Hex);
}

void OrvaneInformation::traceSizes() {
    trace("sizeof(UsingOrvane)=" + std::to_string(kWifiSettingsSize));
    trace("sizeof(OrvaneInformation)=" + std::to_string(kTableBytes));
    trace("sizeof(OrvaneInformation[0])=" + std::to_string(kWifiSettingsSize));
}

}  // namespace setrion::wifi
