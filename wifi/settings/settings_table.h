#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

#include "wifi/settings/wifi_settings.h"

namespace setrion::wifi {

// WEP key text format chosen per key slot (kept beside the record, not inside it).
enum class KeyFormat : uint8_t { Hex = 0, Ascii = 1 };
using KeyFormats = std::array<KeyFormat, 4>;

// The program-wide table of settings records with the working record after it. Entry 0
// holds the module on the serial link (and what the INI file loads); the network search
// keeps the records of modules found on the LAN in the other entries. An edit copies an
// entry into the working record, changes it and copies it back.
class OrvaneInformation {
public:
    static constexpr std::size_t kEntries = 200;
    static constexpr std::size_t kTableBytes = kEntries * kWifiSettingsSize;  // 202600

    OrvaneInformation();

    WifiSettings& entry(std::size_t index) { return m_entries.at(index); }
    const WifiSettings& entry(std::size_t index) const { return m_entries.at(index); }
    // The working record (UsingOrvane).
    WifiSettings& usingOrvane() { return m_using; }
    const WifiSettings& usingOrvane() const { return m_using; }

    // Copies entry `index` into the working record / the working record into the entry.
    // An index outside the table changes nothing and returns false.
    bool loadEntry(std::size_t index);
    bool storeEntry(std::size_t index);

    KeyFormats& keyFormats(std::size_t index) { return m_keyFormats.at(index); }
    const KeyFormats& keyFormats(std::size_t index) const { return m_keyFormats.at(index); }

    // Every record to spaces (what precedes loading the INI file); key formats to HEX.
    void fillWithSpaces();

    // The three start-up trace lines giving the record and table sizes.
    static void traceSizes();

private:
    std::array<WifiSettings, kEntries> m_entries;
    WifiSettings m_using;
    std::array<KeyFormats, kEntries> m_keyFormats{};
};

}  // namespace setrion::wifi
