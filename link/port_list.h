#pragma once
#include <string>
#include <vector>

#include "link/port_discovery.h"

namespace setrion {

// The entries of a dialog's Port list: the fixed names first, at their fixed positions
// ("COM1".."COM9", "USB", and whatever a dialog adds), then the discovered serial ports no
// COMn already stands for, as "ttyUSB0 — FTDI FT232R USB UART (A6008isP)".
class PortList {
public:
    struct Entry {
        std::string text;      // as the list shows it
        std::string portName;  // what the port opening takes: "COM3", "USB", "/dev/ttyUSB0"
        bool serial = false;   // a COM entry or a discovered device: line settings apply
        bool discovered = false;
    };

    explicit PortList(std::vector<std::string> fixedNames);

    // Replaces the discovered entries. Returns the position the entry at `selected` has
    // afterwards: the same port when it is still listed, else 0 (the first entry).
    int refresh(const std::vector<DiscoveredPort>& ports, int selected);

    const std::vector<Entry>& entries() const { return m_entries; }
    std::vector<std::string> texts() const;
    // The entry at a list position; null when out of range.
    const Entry* at(int index) const;

private:
    size_t m_fixed = 0;
    std::vector<Entry> m_entries;
};

// The fixed names every Port list starts with: "COM1".."COM9", "USB".
std::vector<std::string> fixedPortNames();

}  // namespace setrion
