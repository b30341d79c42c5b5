#pragma once
#include <functional>
#include <string_view>

#include "link/printer_link.h"

namespace setrion::fonts {

// Called after each piece with the progress position: 10, 20, ... (never above 100).
using ProgressCallback = std::function<void(int position)>;

struct TransferResult {
    bool ok = false;           // every piece was taken whole by the link
    size_t sent = 0;           // bytes the link reported as written
    int pieces = 0;            // pieces offered to the link
    bool interrupted = false;  // ended at a piece boundary by an interrupt request
};

// Sends the job over the open link in pieces of a tenth of its length (plus a rest), each
// going through the link's own chunking. A piece the link does not take whole ends the
// transfer (a piece that got through after a USB reconnect counts as taken): the rest of a job
// cannot be understood by the printer without it. An interrupt request ends it at the next piece
// boundary.
TransferResult sendFontJob(PrinterLink& link, std::string_view job,
                           const ProgressCallback& progress = {});

}  // namespace setrion::fonts
