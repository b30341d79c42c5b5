#include "wifi/net/item_blocks.h"

#include <algorithm>
#include <optional>

#include "wifi/net/env_items.h"

namespace setrion::net {
namespace {

// The first item of `list` with this type and index, scanning by each item's length.
std::optional<ItemView> findItem(std::span<const uint8_t> list, uint8_t type, uint8_t index) {
    size_t offset = 0;
    while (offset < list.size()) {
        auto item = itemAt(list, offset);
        if (!item) return std::nullopt;  // the rest is not walkable
        if (item->type == type && item->index == index) return item;
        offset += item->length;
    }
    return std::nullopt;
}

}  // namespace

RawItemBlock* findBlock(BlockList& list, const MacAddress& mac) {
    auto it = std::find_if(list.begin(), list.end(), [&](auto& b) { return b.mac == mac; });
    return it == list.end() ? nullptr : &*it;
}

const RawItemBlock* findBlock(const BlockList& list, const MacAddress& mac) {
    auto it = std::find_if(list.begin(), list.end(), [&](auto& b) { return b.mac == mac; });
    return it == list.end() ? nullptr : &*it;
}

void storeBlock(BlockList& list, const MacAddress& mac, std::span<const uint8_t> bytes) {
    auto kept = bytes.first(std::min(bytes.size(), kBlockCapacity));
    if (auto* b = findBlock(list, mac)) {
        b->bytes.assign(kept.begin(), kept.end());
        return;
    }
    list.push_back({mac, std::vector<uint8_t>(kept.begin(), kept.end())});
}

void clearBlocks(BlockList& list) { list.clear(); }

MergeOutcome mergeIntoBlock(std::span<const uint8_t> built, RawItemBlock& block) {
    MergeOutcome out;
    if (built.size() >= block.bytes.size()) {
        out.payload.assign(built.begin(), built.end());
        return out;
    }
    std::vector<uint8_t> merged = block.bytes;
    bool grew = false;
    size_t offset = 0;
    while (offset < built.size()) {
        auto item = itemAt(built, offset);
        if (!item) break;  // a built list is always walkable; stop rather than guess
        offset += item->length;
        if (item->type == 0) continue;
        auto whole = built.subspan(item->offset, item->length);
        auto target = findItem(merged, item->type, item->index);
        if (target && target->length == item->length) {
            std::copy(whole.begin(), whole.end(), merged.begin() + static_cast<std::ptrdiff_t>(target->offset));
            continue;
        }
        size_t removed = target ? target->length : 0;
        if (merged.size() - removed + whole.size() > kBlockCapacity) {
            out.status = MergeStatus::TooLarge;
            return out;
        }
        auto at = merged.begin() + static_cast<std::ptrdiff_t>(target ? target->offset : merged.size());
        if (target) at = merged.erase(at, at + static_cast<std::ptrdiff_t>(removed));
        merged.insert(at, whole.begin(), whole.end());
        grew = true;
    }
    if (grew && merged.size() % 256 == 0) {
        if (merged.size() + 8 > kBlockCapacity) {
            out.status = MergeStatus::TooLarge;
            return out;
        }
        finishItemList(merged);
    }
    block.bytes = merged;
    out.status = MergeStatus::Merged;
    out.payload = std::move(merged);
    return out;
}

}  // namespace setrion::net
