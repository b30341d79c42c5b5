// Deciphered payloads through parseItems, then the record back through buildItems.
#include <cstddef>
#include <cstdint>

#include "wifi/net/env_items.h"

using namespace setrion::net;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DiscoveredPrinter record;
    ItemExtras extras;
    if (parseItems({data, size}, record, &extras)) {
        record.wpaPassphrase.fill('k');  // key text running on into wpaPsk
        auto built = buildItems(record);
        DiscoveredPrinter again;
        parseItems(built, again);
    }
    return 0;
}
