#include "fonts/font_transfer.h"

#include <algorithm>
#include <cstdint>
#include <span>

#include "common/interrupt.h"

namespace setrion::fonts {

TransferResult sendFontJob(PrinterLink& link, std::string_view job,
                           const ProgressCallback& progress) {
    TransferResult result;
    // A job shorter than ten bytes would give empty pieces and never end.
    const size_t pieceSize = std::max<size_t>(job.size() / 10, 1);
    int position = 0;
    size_t offset = 0;
    while (offset < job.size()) {
        if (interruptRequested()) {
            result.interrupted = true;
            return result;
        }
        size_t n = std::min(pieceSize, job.size() - offset);
        auto piece = std::span(reinterpret_cast<const uint8_t*>(job.data()) + offset, n);
        int written = link.write(piece);
        ++result.pieces;
        // A USB write that had to wait for the printer to come back reports failure although
        // the whole piece got through; the download goes on from there.
        if (written != static_cast<int>(n) && link.lastWriteRecovered())
            written = static_cast<int>(n);
        if (written > 0) result.sent += static_cast<size_t>(written);
        if (written != static_cast<int>(n)) return result;
        offset += n;
        position = std::min(position + 10, 100);
        if (progress) progress(position);
    }
    result.ok = true;
    return result;
}

JobEnd closeUnfinishedJob(PrinterLink& link, const TransferResult& sent) {
    if (sent.ok || sent.pieces == 0) return JobEnd::Nothing;
    InterruptShield shield;
    auto closer = std::span(reinterpret_cast<const uint8_t*>(kJobCloser.data()), kJobCloser.size());
    if (link.write(closer) == static_cast<int>(closer.size())) return JobEnd::Closed;
    return sent.sent > 0 ? JobEnd::Stuck : JobEnd::Nothing;
}

std::string jobEndText(JobEnd end) {
    switch (end) {
        case JobEnd::Nothing:
            return {};
        case JobEnd::Closed:
            return kUnfinishedJobClosed;
        case JobEnd::Stuck:
            return kSwitchPrinterOffAndOn;
    }
    return {};
}

}  // namespace setrion::fonts
