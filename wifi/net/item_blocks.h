#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "wifi/net/net_types.h"

namespace setrion::net {

inline constexpr size_t kBlockCapacity = 1460;

// A module's deciphered reply payload as received, kept per MAC for a later write.
struct RawItemBlock {
    MacAddress mac{};
    std::vector<uint8_t> bytes;  // at most kBlockCapacity
};

using BlockList = std::vector<RawItemBlock>;

RawItemBlock* findBlock(BlockList& list, const MacAddress& mac);
const RawItemBlock* findBlock(const BlockList& list, const MacAddress& mac);
// Replaces the bytes of the MAC's block, or appends a new block. Bytes beyond the
// capacity are not kept.
void storeBlock(BlockList& list, const MacAddress& mac, std::span<const uint8_t> bytes);
void clearBlocks(BlockList& list);

// The two lists: by the reply's directed flag. They outlive the exchanges.
struct ItemBlockStore {
    BlockList broadcast;
    BlockList directed;
    BlockList& list(bool isDirected) { return isDirected ? directed : broadcast; }
};

enum class MergeStatus {
    SentAsBuilt,  // the built list was as long as the block or longer: sent unchanged
    Merged,       // the block, with the built items put in, is sent
    TooLarge,     // an item could not be put in without passing the block's capacity
};

struct MergeOutcome {
    MergeStatus status = MergeStatus::SentAsBuilt;
    std::vector<uint8_t> payload;
};

// Puts the built items into the kept block (in place, updating `block`):
// - a built list as long as the block or longer is sent as it is;
// - otherwise each built item replaces the first block item of the same type and index;
//   an item of another length is spliced in its place, and an item the block lacks is
//   appended, both only while the block stays within its capacity (else TooLarge and
//   the block is left as it was). The list terminator (type 0) is not carried over; a
//   grown block whose length lands on a multiple of 256 gets one at its end.
// Items the program does not model keep their bytes.
MergeOutcome mergeIntoBlock(std::span<const uint8_t> built, RawItemBlock& block);

}  // namespace setrion::net
