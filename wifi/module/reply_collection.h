#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "common/clock.h"
#include "link/printer_link.h"

namespace setrion::wifi {

// How the module's replies are gathered. A reply is accumulated across polls (up to
// kComPollBytes a poll on COM, kUsbPollBytes on USB) until the end mark of the reply
// expected arrives at the end of the accumulated bytes, or until a quiet run as long as
// `emptyPollLimit` empty polls kEmptyPollSleepMs apart has passed on the clock (a poll that
// brings bytes starts the run again). A reply longer than `capacity` is cut there and
// collection stops.
enum class ReplyEnd {
    // "701" CR LF, the hex text, CR LF. A reply whose first line is not "701" ends with
    // that line, so an error answer is not waited out.
    ParameterRead,
    // One line ended by CR LF (empty lines before it do not count).
    Line,
    // CR LF ETX.
    SettingsBlock,
};

struct ReplyLimits {
    std::size_t capacity;
    int emptyPollLimit;
    ReplyEnd end;
};

inline constexpr std::size_t kComPollBytes = 256;
inline constexpr std::size_t kUsbPollBytes = 64;
inline constexpr uint32_t kEmptyPollSleepMs = 10;

// Parameter reads and the module information.
inline constexpr ReplyLimits kParameterReadLimits{256, 151, ReplyEnd::ParameterRead};
// Parameter writes, the banner, unlock, store and factory defaults.
inline constexpr ReplyLimits kLineReplyLimits{256, 151, ReplyEnd::Line};
// Settings blocks: about 5 s to answer a read, about 40 s for a write.
inline constexpr ReplyLimits kBlockReadLimits{1024, 501, ReplyEnd::SettingsBlock};
inline constexpr ReplyLimits kBlockWriteLimits{1024, 4001, ReplyEnd::SettingsBlock};

// Fixed pauses of the exchanges.
inline constexpr uint32_t kOpenSettleMs = 500;      // after the link opens, before the mode frame
inline constexpr uint32_t kReadPauseMs = 200;       // after a read or "c 0" command
inline constexpr uint32_t kWritePauseMs = 1000;     // after a parameter write and the store
inline constexpr uint32_t kLeaveModePauseMs = 500;  // after leaving command mode on COM
inline constexpr uint32_t kResetPauseMs = 200;      // before and after the factory-defaults reply

struct CollectedReply {
    std::vector<uint8_t> bytes;
    bool complete = false;  // the end mark arrived
    int emptyPolls = 0;     // the final quiet run, in polls at the nominal pace
};

// True when `bytes` end with the end mark of `end`.
bool replyComplete(std::span<const uint8_t> bytes, ReplyEnd end);

// Called after every poll with the current quiet run, in polls at the nominal pace.
using PollObserver = std::function<void(int emptyPolls)>;

// Polls the current link of the pair by the limits above. With no current link every poll
// is empty.
CollectedReply collectReply(const LinkPair& links, Clock& clock, const ReplyLimits& limits,
                            const PollObserver& observer = {});

}  // namespace setrion::wifi
