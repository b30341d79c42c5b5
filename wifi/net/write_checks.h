#pragma once
#include <array>
#include <cstdint>
#include <span>

#include "wifi/net/discovered_printer.h"

namespace setrion::net {

// False when `ip` (host order) cannot be a module's own address under `mask`: a classful
// network or broadcast address, all host bits set or clear, 0, 127.x, 255.x, 224.0.0.0 up.
bool ipAddressUsable(uint32_t ip, uint32_t mask);

// The port checks: 0, or -100 (equal local ports), -101 (23), -102 (Modbus/TCP port),
// -103 (web port), -104 (50005 in mode 3), -105 (50006 in mode 3). Every present port
// takes part.
int checkPorts(const DiscoveredPrinter& record);

// One 32-byte I/O macro expression.
bool macroSyntaxValid(std::span<const uint8_t> macro);

// The two I/O port numbers lie closer than the product's range.
bool ioPortsTooClose(const DiscoveredPrinter& record);

// The checks before a write, in order: local IP (-300), ports (-600..-605),
// macros (-400), I/O port distance (-500). 0 when all pass.
int checkModuleForWrite(const DiscoveredPrinter& record);

}  // namespace setrion::net
