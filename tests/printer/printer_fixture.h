#pragma once
#include <string>
#include <vector>

#include "common/clock.h"
#include "printer/command_exchange.h"
#include "tests/support/scripted_link.h"

namespace setrion::test {

using PrinterAnswers = std::vector<std::pair<std::string, std::string>>;

// A scripted printer's replies: the probe FS "E" "C" gets `probeAnswer` (none when empty),
// every other write whose text starts with a key of `answers` gets its value. Both are read
// at each write, so a test may change them as it goes.
inline ScriptedLink::Responder printerResponder(const std::string& probeAnswer,
                                                const PrinterAnswers& answers) {
    return [&probeAnswer, &answers](ScriptedLink& l, std::span<const uint8_t> data) {
        const std::string t = text(data);
        if (t == "\x1C" "EC") {
            if (!probeAnswer.empty()) l.queueRead(probeAnswer);
            return;
        }
        for (const auto& [prefix, answer] : answers)
            if (t.rfind(prefix, 0) == 0) l.queueRead(answer);
    };
}

// A printer on a scripted serial link: answers the probe FS "E" "C" with `probeAnswer`
// and every other write whose text starts with a key of `answers` with its value.
struct PrinterFixture {
    ScriptedLink link;
    LinkPair links{&link, nullptr, LinkKind::Serial};
    ManualClock clock;
    CommandExchange exchange{links, clock};
    std::string probeAnswer = "1";
    PrinterAnswers answers;

    PrinterFixture() { link.setResponder(printerResponder(probeAnswer, answers)); }
    // Every write after the first (the probe), as text.
    std::vector<std::string> writesAfterProbe() const {
        std::vector<std::string> out;
        for (size_t i = 1; i < link.writes().size(); ++i) out.push_back(text(link.writes()[i]));
        return out;
    }
};

inline std::vector<uint8_t> hexBytes(std::initializer_list<int> v) {
    std::vector<uint8_t> out;
    for (int b : v) out.push_back(static_cast<uint8_t>(b));
    return out;
}

}  // namespace setrion::test
