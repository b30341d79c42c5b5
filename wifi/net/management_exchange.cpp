#include "wifi/net/management_exchange.h"

#include <algorithm>

#include "common/crc16.h"
#include "wifi/net/save_result.h"
#include "wifi/net/write_checks.h"

namespace setrion::net {
namespace {

ManagementHeader requestHeader(const ExchangeState& s) {
    ManagementHeader h;
    h.flags = static_cast<uint8_t>(s.flags | kFlagRequest);
    h.command = s.command;
    h.status = 0;
    return h;
}

// Sends the request twice, 10 ms apart, to each destination; only the last send's
// result counts. Returns 0 or the socket error code.
int sendTwice(ManagementContext& ctx, DatagramSocket& sock, std::span<const uint8_t> request,
              const std::vector<SocketAddress>& destinations) {
    int rc = 0;
    for (int round = 0; round < 2; ++round) {
        if (round == 1) ctx.clock->sleepMs(kResendPauseMs);
        for (const auto& to : destinations) rc = sock.sendTo(request, to);
    }
    return rc < 0 ? -rc : 0;
}

// Step at which a search with an end condition asks it while no answer comes.
constexpr uint32_t kDoneSliceMs = 50;

// Collects replies until a wait passes empty, a receive fails, the window has passed
// after a datagram, or `done` says the exchange has its answer. With `sliceMs`, a quiet
// socket is waited on in slices until the window ends, `done` asked after each (what it
// waits for may arrive elsewhere).
template <typename Done>
void collect(ManagementContext& ctx, DatagramSocket& sock, ExchangeState& state, uint32_t windowMs,
             Done done, uint32_t sliceMs = 0) {
    std::vector<uint8_t> buffer(kReceiveBufferSize);
    uint64_t start = ctx.clock->nowMs();
    for (;;) {
        if (sliceMs != 0) {
            const uint64_t spent = ctx.clock->nowMs() - start;
            if (spent >= windowMs) return;
            if (sock.waitReadable(
                    static_cast<uint32_t>(std::min<uint64_t>(sliceMs, windowMs - spent))) <= 0) {
                if (done()) return;
                continue;
            }
        } else if (sock.waitReadable(windowMs) <= 0) {
            return;
        }
        SocketAddress from;
        std::fill(buffer.begin(), buffer.end(), 0);
        int n = sock.receiveFrom(buffer, from);
        if (n < 0) return;
        acceptReply(state, from, std::span<const uint8_t>(buffer).first(static_cast<size_t>(n)));
        if (done()) return;
        if (ctx.clock->nowMs() - start >= windowMs) return;
    }
}

UdpOptions managementSocketOptions(const ManagementContext& ctx) {
    UdpOptions o;
    o.localPort = ctx.config.mgmtLocalPort;
    o.broadcast = true;
    o.reuseAddress = true;
    o.receiveBufferBytes = 1 << 20;  // room for 256 answers, each sent twice
    return o;
}

// Deciphers and parses the payload into the scratch record.
bool decodePayload(ExchangeState& s, const ManagementHeader& h, std::span<const uint8_t> payload,
                   std::vector<uint8_t>& plain) {
    plain.assign(payload.begin(), payload.end());
    if (plain.empty()) return true;
    applyPayloadCipher(s.key, h.payloadCheck, plain);
    return parseItems(plain, s.scratch.record, &s.extras);
}

void fillFromHeader(DiscoveredPrinter& r, const ManagementHeader& h, const SocketAddress& sender) {
    applyVersionRules(r, h.productCode, h.versionV1, h.versionV2, h.versionV3);
    r.mac = h.mac;
    r.replyAddress = hostToOctets(sender.ip);
}

}  // namespace

ExchangeState::ExchangeState(uint8_t cmd, uint8_t fl, const ProtocolKeyPrefix& k, ItemBlockStore& b)
    : command(cmd), flags(fl), key(k), blocks(b) {
    table.reserve(kModuleTableCapacity);
}

std::unique_ptr<DatagramSocket> openManagementSocket(const ManagementContext& ctx, int& error) {
    return ctx.openSocket(managementSocketOptions(ctx), error, nullptr);
}

void buildSearchRequest(ExchangeState& s) {
    s.request.header = requestHeader(s);
    auto bytes = s.request.header.encode();
    s.output.assign(bytes.begin(), bytes.end());
}

int buildWriteRequest(int list, ExchangeState& s) {
    const MacAddress mac = s.request.record.mac;
    RawItemBlock* block = findBlock(s.blocks.list(list == 1), mac);
    if (!block) return kCodeNoBlock;
    std::vector<uint8_t> built = buildItems(s.request.record);
    MergeOutcome merged = mergeIntoBlock(built, *block);
    if (merged.status == MergeStatus::TooLarge ||
        merged.payload.size() > kRequestBufferSize - kManagementHeaderSize)
        return kCodeMergeTooLarge;
    ManagementHeader h = requestHeader(s);
    h.mac = mac;
    h.payloadCheck = crc16(merged.payload);
    s.request.header = h;
    applyPayloadCipher(s.key, h.payloadCheck, merged.payload);
    auto head = h.encode();
    s.output.assign(head.begin(), head.end());
    s.output.insert(s.output.end(), merged.payload.begin(), merged.payload.end());
    return 0;
}

void acceptReply(ExchangeState& s, const SocketAddress& sender, std::span<const uint8_t> d) {
    s.scratch = ModuleEntry{};
    if (d.empty()) return;
    auto header = ManagementHeader::decode(d);
    if (!header) return;  // shorter than a header: nothing to examine
    s.scratch.header = *header;
    if (!header->hasMagic() || (header->flags & kFlagReply) == 0) return;
    if (s.table.size() >= s.capacity) {
        if (s.command == kCommandSearchAll &&
            std::find(s.leftOut.begin(), s.leftOut.end(), header->mac) == s.leftOut.end() &&
            std::none_of(s.table.begin(), s.table.end(),
                         [&](const ModuleEntry& e) { return e.record.mac == header->mac; }))
            s.leftOut.push_back(header->mac);
        return;
    }
    auto payload = d.subspan(kManagementHeaderSize);
    bool replyDirected = (header->flags & kFlagDirected) != 0;
    std::vector<uint8_t> plain;

    if (s.command == kCommandSearchAll) {
        // A header without items carries no settings: it is not a module to list.
        if (payload.empty()) return;
        if (!decodePayload(s, *header, payload, plain)) return;
        fillFromHeader(s.scratch.record, *header, sender);
        bool known = std::any_of(s.table.begin(), s.table.end(),
                                 [&](const ModuleEntry& e) { return e.record.mac == header->mac; });
        if (known) return;
        s.table.push_back(s.scratch);
        storeBlock(s.blocks.list(replyDirected), header->mac, plain);
        return;
    }

    // A late answer to an earlier search (both copies of a search are answered, and a search
    // may end before the second set arrives) is not this exchange's answer: taken as one, it
    // would report a write the module refused as saved.
    if (header->command == kCommandSearchAll) return;
    bool sameMac = header->mac == s.request.header.mac;
    bool fromTarget = replyDirected && hostToOctets(sender.ip) == s.request.record.replyAddress;
    if (!sameMac && !fromTarget) return;
    if (!decodePayload(s, *header, payload, plain)) return;
    s.found = true;
    fillFromHeader(s.scratch.record, *header, sender);
    s.table.assign(1, s.scratch);
    if (header->command >= 2 && header->command <= 4)
        storeBlock(s.blocks.list(replyDirected), header->mac, plain);
}

SearchOutcome searchModules(ManagementContext& ctx, int mode, uint32_t address,
                            const ModuleSearchOptions& options) {
    SearchOutcome out;
    bool directed = mode == 1;
    ExchangeState state(directed ? kCommandSearchOne : kCommandSearchAll,
                        directed ? kFlagDirected : 0, ctx.config.protocolKey, *ctx.blocks);
    state.capacity = options.capacity;
    clearBlocks(ctx.blocks->list(directed));
    state.request.record.replyAddress = hostToOctets(address);
    auto sock = openManagementSocket(ctx, out.error);
    if (!sock) return out;
    buildSearchRequest(state);
    std::vector<SocketAddress> destinations;
    if (directed) {
        destinations.push_back({address, ctx.config.mgmtPort});
    } else {
        destinations.push_back({ctx.config.broadcast, ctx.config.mgmtPort});
        for (uint32_t b : ctx.extraBroadcasts) destinations.push_back({b, ctx.config.mgmtPort});
    }
    out.error = sendTwice(ctx, *sock, state.output, destinations);
    if (out.error != 0) return out;
    if (options.done)
        collect(
            ctx, *sock, state, kSearchWindowMs, [&] { return options.done(state.table); },
            kDoneSliceMs);
    else
        collect(ctx, *sock, state, kSearchWindowMs, [] { return false; });
    for (const auto& e : state.table) out.records.push_back(e.record);
    out.leftOut = std::move(state.leftOut);
    return out;
}

int writeModuleConfig(ManagementContext& ctx, int list, DiscoveredPrinter& record,
                      const std::array<uint8_t, 10>& password) {
    if (!findBlock(ctx.blocks->list(list == 1), record.mac)) return kCodeNoBlock;
    if (int code = checkModuleForWrite(record); code != 0) return code;
    if (std::any_of(record.password.begin(), record.password.end(), [](uint8_t b) { return b; }))
        record.password = password;

    ExchangeState state(kCommandWriteConfig, list == 1 ? kFlagDirected : 0, ctx.config.protocolKey,
                        *ctx.blocks);
    state.request.record = record;
    int error = 0;
    auto sock = openManagementSocket(ctx, error);
    if (!sock) return error;
    if (int code = buildWriteRequest(list, state); code != 0) return code;
    SocketAddress to{list == 1 ? octetsToHost(record.replyAddress) : ctx.config.broadcast,
                     ctx.config.mgmtPort};
    error = sendTwice(ctx, *sock, state.output, {to});
    if (error != 0) return error;
    const MacAddress target = record.mac;
    auto answered = [&] {
        return state.found && !state.table.empty() && state.table[0].record.mac == target;
    };
    collect(ctx, *sock, state, kWriteWindowMs, answered);
    if (!answered()) return kCodeNoResponse;
    record = state.table[0].record;
    switch (state.table[0].header.status) {
        case kStatusSuccess:
            return kCodeSuccess;
        case kStatusPasswordMismatch:
            return kCodePasswordMismatch;
        case kStatusProductIdMismatch:
            return kCodeProductIdMismatch;
        default:
            return kCodeUnknownError;
    }
}

}  // namespace setrion::net
