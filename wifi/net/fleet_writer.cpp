#include "wifi/net/fleet_writer.h"

#include <algorithm>
#include <deque>
#include <limits>
#include <memory>

#include "common/interrupt.h"
#include "wifi/net/save_result.h"
#include "wifi/net/write_checks.h"

namespace setrion::net {
namespace {

struct InFlight {
    size_t index = 0;
    std::unique_ptr<ExchangeState> state;
    uint64_t sentAt = 0;
    bool resent = false;
};

int codeOfStatus(uint8_t status) {
    switch (status) {
    case kStatusSuccess: return kCodeSuccess;
    case kStatusPasswordMismatch: return kCodePasswordMismatch;
    case kStatusProductIdMismatch: return kCodeProductIdMismatch;
    default: return kCodeUnknownError;
    }
}

}  // namespace

void writeModulesTogether(ManagementContext& ctx, std::vector<FleetWrite>& writes,
                          const std::array<uint8_t, 10>& password, size_t maxOutstanding,
                          const FleetWriteObserver& observer) {
    auto finish = [&](size_t i, int code) {
        writes[i].code = code;
        if (observer) observer(i, false);
    };
    std::deque<size_t> waiting;
    for (size_t i = 0; i < writes.size(); ++i) {
        DiscoveredPrinter& r = writes[i].record;
        if (!findBlock(ctx.blocks->list(false), r.mac)) {
            finish(i, kCodeNoBlock);
            continue;
        }
        if (int code = checkModuleForWrite(r); code != 0) {
            finish(i, code);
            continue;
        }
        if (std::any_of(r.password.begin(), r.password.end(), [](uint8_t b) { return b; }))
            r.password = password;
        waiting.push_back(i);
    }
    if (waiting.empty()) return;

    int error = 0;
    auto sock = openManagementSocket(ctx, error);
    if (!sock) {
        for (size_t i : waiting) finish(i, error);
        return;
    }
    maxOutstanding = std::max<size_t>(1, maxOutstanding);
    const SocketAddress to{ctx.config.broadcast, ctx.config.mgmtPort};
    Clock& clock = *ctx.clock;
    std::vector<InFlight> flight;
    std::vector<uint8_t> buffer(kReceiveBufferSize);

    while (!waiting.empty() || !flight.empty()) {
        // Interrupted: nothing more is sent; the writes in flight are awaited to their answer
        // or window, so each is known written or not.
        if (interruptRequested()) {
            for (size_t i : waiting) finish(i, kCodeNotSent);
            waiting.clear();
        }
        while (!waiting.empty() && flight.size() < maxOutstanding) {
            size_t i = waiting.front();
            waiting.pop_front();
            auto state = std::make_unique<ExchangeState>(kCommandWriteConfig, 0, ctx.config.protocolKey,
                                                         *ctx.blocks);
            state->request.record = writes[i].record;
            if (int code = buildWriteRequest(0, *state); code != 0) {
                finish(i, code);
                continue;
            }
            int rc = sock->sendTo(state->output, to);
            if (rc < 0) {
                finish(i, -rc);
                continue;
            }
            if (observer) observer(i, true);
            flight.push_back({i, std::move(state), clock.nowMs(), false});
        }
        if (flight.empty()) continue;

        // The second copy of each request, and the ends of the windows.
        uint64_t now = clock.nowMs();
        uint64_t next = std::numeric_limits<uint64_t>::max();
        for (auto it = flight.begin(); it != flight.end();) {
            if (!it->resent && now >= it->sentAt + kResendPauseMs) {
                int rc = sock->sendTo(it->state->output, to);
                it->resent = true;
                if (rc < 0) {
                    finish(it->index, -rc);
                    it = flight.erase(it);
                    continue;
                }
            }
            if (now >= it->sentAt + kWriteWindowMs) {
                finish(it->index, kCodeNoResponse);
                it = flight.erase(it);
                continue;
            }
            next = std::min(next, it->resent ? it->sentAt + kWriteWindowMs : it->sentAt + kResendPauseMs);
            ++it;
        }
        if (flight.empty()) continue;

        uint32_t wait = static_cast<uint32_t>(next > now ? next - now : 0);
        int ready = sock->waitReadable(wait);
        if (ready < 0) {
            for (auto& f : flight) finish(f.index, -ready);
            for (size_t i : waiting) finish(i, -ready);
            return;
        }
        if (ready == 0) continue;
        SocketAddress from;
        std::fill(buffer.begin(), buffer.end(), 0);
        int n = sock->receiveFrom(buffer, from);
        if (n < 0) continue;  // a failed receive ends no write early; the windows bound it
        auto datagram = std::span<const uint8_t>(buffer).first(static_cast<size_t>(n));
        auto header = ManagementHeader::decode(datagram);
        if (!header) continue;
        auto it = std::find_if(flight.begin(), flight.end(),
                               [&](const InFlight& f) { return f.state->request.header.mac == header->mac; });
        if (it == flight.end()) continue;  // another program's traffic, or a late second answer
        ExchangeState& s = *it->state;
        acceptReply(s, from, datagram);
        if (!s.found || s.table.empty() || s.table[0].record.mac != s.request.header.mac) continue;
        writes[it->index].record = s.table[0].record;
        finish(it->index, codeOfStatus(s.table[0].header.status));
        flight.erase(it);
    }
}

}  // namespace setrion::net
