// Whole management datagrams through acceptReply, in a search and in a write exchange.
#include <cstddef>
#include <cstdint>

#include "wifi/net/management_exchange.h"

using namespace setrion::net;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::span<const uint8_t> d(data, size);
    // Kept across inputs (allocating a 256-entry table per input is most of the time).
    static ItemBlockStore blocks;
    static ExchangeState search(kCommandSearchAll, 0, kDefaultProtocolKeyPrefix, blocks);
    static ExchangeState write(kCommandWriteConfig, kFlagDirected, kDefaultProtocolKeyPrefix, blocks);
    if (search.table.size() >= kModuleTableCapacity) search.table.clear();
    if (blocks.broadcast.size() + blocks.directed.size() > 64) blocks = {};
    acceptReply(search, {0x7F000001, 50005}, d);
    acceptReply(search, {0x7F000001, 50005}, d);
    write.request.header.mac = {2, 0, 0, 0, 0, 1};
    write.request.record.replyAddress = {127, 0, 0, 1};
    acceptReply(write, {0x7F000001, 50005}, d);
    return 0;
}
