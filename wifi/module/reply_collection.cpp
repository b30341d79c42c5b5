#include "wifi/module/reply_collection.h"

#include <algorithm>

#include "common/interrupt.h"

namespace setrion::wifi {

namespace {
bool endsWith(std::span<const uint8_t> b, std::initializer_list<uint8_t> tail) {
    if (b.size() < tail.size()) return false;
    return std::equal(tail.begin(), tail.end(), b.end() - static_cast<long>(tail.size()));
}
bool startsWith701(std::span<const uint8_t> b) {
    return b.size() >= 3 && b[0] == '7' && b[1] == '0' && b[2] == '1';
}
}  // namespace

bool replyComplete(std::span<const uint8_t> b, ReplyEnd end) {
    switch (end) {
        case ReplyEnd::SettingsBlock:
            return endsWith(b, {'\r', '\n', 0x03});
        case ReplyEnd::Line: {
            if (!endsWith(b, {'\r', '\n'})) return false;
            return std::any_of(b.begin(), b.end(), [](uint8_t c) { return c != '\r' && c != '\n'; });
        }
        case ReplyEnd::ParameterRead: {
            if (!endsWith(b, {'\r', '\n'})) return false;
            if (startsWith701(b) && b.size() >= 5 && b[3] == '\r' && b[4] == '\n')
                return b.size() >= 7;  // the text's own CR LF after "701" CR LF
            return true;  // any other first line is the whole answer
        }
    }
    return false;
}

CollectedReply collectReply(const LinkPair& links, Clock& clock, const ReplyLimits& limits,
                            const PollObserver& observer) {
    CollectedReply r;
    r.bytes.reserve(limits.capacity);
    const std::size_t perPoll = links.kind == LinkKind::Usb ? kUsbPollBytes : kComPollBytes;
    uint8_t chunk[kComPollBytes];
    // The quiet run is time on the clock, not a count of polls, whose sleeps and reads load
    // stretches: the window lasts as long whatever the host's load.
    QuietWindow quiet(clock, limits.emptyPollLimit, kEmptyPollSleepMs);
    bool sawBytes = true;  // no empty poll yet in this run
    while (true) {
        const std::size_t room = limits.capacity - r.bytes.size();
        const std::size_t want = std::min({perPoll, room, sizeof chunk});
        int n = links.read(std::span<uint8_t>(chunk, want));
        if (n > 0) {
            r.emptyPolls = 0;
            sawBytes = true;
            r.bytes.insert(r.bytes.end(), chunk, chunk + std::min<std::size_t>(static_cast<std::size_t>(n), want));
            if (observer) observer(r.emptyPolls);
            if (replyComplete(r.bytes, limits.end)) {
                r.complete = true;
                return r;
            }
            if (r.bytes.size() >= limits.capacity) return r;  // cut at the capacity
            continue;
        }
        if (sawBytes) {
            quiet.restart();  // the run starts with this empty poll
            sawBytes = false;
        }
        r.emptyPolls = quiet.pollsSoFar();
        if (observer) observer(r.emptyPolls);
        if (quiet.over() || interruptPending()) return r;
        clock.sleepMs(kEmptyPollSleepMs);
    }
}

}  // namespace setrion::wifi
