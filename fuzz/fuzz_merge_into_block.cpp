// A kept block and a built list from the input, merged: the first two bytes split them.
#include <cstddef>
#include <cstdint>

#include "wifi/net/item_blocks.h"

using namespace setrion::net;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    size_t split = static_cast<size_t>(data[0] | (data[1] << 8)) % (size - 1);
    std::span<const uint8_t> rest(data + 2, size - 2);
    split = std::min(split, rest.size());
    RawItemBlock block{{2, 0, 0, 0, 0, 1}, {rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(split)}};
    if (block.bytes.size() > kBlockCapacity) block.bytes.resize(kBlockCapacity);
    auto out = mergeIntoBlock(rest.subspan(split), block);
    if (block.bytes.size() > kBlockCapacity) __builtin_trap();
    if (out.status == MergeStatus::Merged && out.payload.size() > kBlockCapacity) __builtin_trap();
    return 0;
}
