#pragma once
#include <functional>
#include <string>
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

// What ends a job cut short: the data line in progress is ended and the job closed with its
// brace. The printer leaves the job and drops it (its data fall short of the size in its
// header); without it the printer takes every later byte as part of the job and answers
// nothing.
inline constexpr std::string_view kJobCloser = "\r\n}";

// Texts of a download that ended before the whole job went out.
inline constexpr const char* kUnfinishedJobClosed =
    "The unfinished font job was closed; the printer drops it.";
inline constexpr const char* kSwitchPrinterOffAndOn =
    "The printer is still inside the unfinished font job: switch it off and on.";

// After a transfer that did not send the whole job: closes the job, awaited whole even after
// an interrupt request. Nothing: the job went out whole, or the link took none of it and
// takes nothing now (a dead link); Closed: the closing bytes went out; Stuck: part of the job
// went out and the closing bytes did not, so the printer stays inside the job until it is
// switched off and on.
enum class JobEnd { Nothing, Closed, Stuck };
JobEnd closeUnfinishedJob(PrinterLink& link, const TransferResult& sent);
// The sentence a failed download adds for `end` ("" for Nothing).
std::string jobEndText(JobEnd end);

}  // namespace setrion::fonts
