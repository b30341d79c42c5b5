#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "wifi/net/discovered_printer.h"

namespace setrion::net {

inline constexpr size_t kItemOverhead = 6;       // type, index, length, check
inline constexpr size_t kItemScratchSize = 1400; // largest item data accepted
inline constexpr size_t kType48AreaSize = 1460;
inline constexpr size_t kType49Capacity = 9;

// Zero bytes after n data bytes: (2 - n) mod 4.
size_t itemPadding(size_t dataLength);
// Appends one item: type, index, total length (little-endian), data, padding, CRC-16
// over everything before it (low byte first).
void appendItem(std::vector<uint8_t>& out, uint8_t type, uint8_t index,
                std::span<const uint8_t> data);

// One item as it sits in a list.
struct ItemView {
    uint8_t type = 0;
    uint8_t index = 0;
    size_t offset = 0;  // of the item in the list
    size_t length = 0;  // L, the whole item
    std::span<const uint8_t> body;  // the L-6 bytes of data and padding
};

// Reads the item at `offset`: nothing when its header or length (under 6, beyond the
// list, or over 1400 data bytes) is unusable. Does not check the CRC.
std::optional<ItemView> itemAt(std::span<const uint8_t> list, size_t offset);
bool itemCheckValid(std::span<const uint8_t> list, const ItemView& item);

// What parsing keeps outside the record: type 48 and type 49 items.
struct ItemExtras {
    std::array<uint8_t, kType48AreaSize> area48{};
    std::vector<std::array<uint8_t, 24>> list49;  // at most 9
};

// Fills `record` (zeroed by the caller) from a deciphered payload. Fails, with the
// trace "What ENV???\n" or "CRC fail...\n", on a truncated, malformed or out-of-range
// item or a check mismatch.
bool parseItems(std::span<const uint8_t> payload, DiscoveredPrinter& record,
                ItemExtras* extras = nullptr);

// Re-derives slotCountA/B, hasIoItems, hasBlock38 and isWifiModule from the product codes.
void deriveProductFlags(DiscoveredPrinter& record);
// Product codes of I/O modules (macro and Modbus checks apply).
bool isIoProduct(const DiscoveredPrinter& record);

// Applies the reply header's product code and version bytes to the record.
void applyVersionRules(DiscoveredPrinter& record, uint8_t headerProduct, uint8_t v1, uint8_t v2,
                       uint8_t v3);

// The item list of a write request. May change `record` (key derivation, defaults).
std::vector<uint8_t> buildItems(DiscoveredPrinter& record);
// Appends the 8-byte type-0 item when the list's length is a multiple of 256.
void finishItemList(std::vector<uint8_t>& list);

// Derives wpaPsk from the key text and the SSID (IEEE 802.11i PSK).
void deriveWpaPsk(DiscoveredPrinter& record);

}  // namespace setrion::net
