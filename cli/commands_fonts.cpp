// Font commands: build a font download job offline, or download a TrueType font to the
// printer.
#include <iostream>
#include <memory>

#include "cli/cli_app.h"
#include "cli/printer_session.h"
#include "common/atomic_file.h"
#include "common/interrupt.h"
#include "fonts/font_download.h"
#include "fonts/font_file.h"
#include "fonts/font_job.h"
#include "fonts/font_transfer.h"

namespace setrion::cli {
namespace {

struct FontOptions {
    std::string ttf;
    int id = fonts::kFirstFontId;
    std::string memory = "ram";
    std::string out;
    std::string keep;
};

void addFontOptions(CLI::App* cmd, FontOptions& o) {
    cmd->add_option("FILE", o.ttf, "TrueType file")->required();
    cmd->add_option("--id", o.id, "Font number, 100 to 499")
        ->required()
        ->check(CLI::Range(fonts::kFirstFontId, fonts::kLastFontId));
    cmd->add_option("--memory", o.memory, "ram or flash")
        ->check(CLI::IsMember({"ram", "flash"}))
        ->capture_default_str();
}

fonts::TargetMemory memoryOf(const FontOptions& o) {
    return o.memory == "flash" ? fonts::TargetMemory::Flash : fonts::TargetMemory::Ram;
}

std::string fileNameOf(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

// A device node, FIFO or folder in the output's place is named; it is left as it was.
std::string writeFailureText(const std::string& path) {
    if (existsAsNonRegular(path)) return path + ": not a regular file, not replaced";
    return fonts::kWriteOpenFailed;
}

void runFontJob(CommandContext& ctx, const FontOptions& o) {
    fonts::JobText job = fonts::makeFontJob(o.ttf, fileNameOf(o.ttf), o.id, memoryOf(o));
    if (!job.ok()) {
        ctx.deviceFailure(job.error);
        return;
    }
    if (!writeFileAtomically(o.out, job.text)) {
        ctx.deviceFailure(writeFailureText(o.out));
        return;
    }
    if (ctx.options.json)
        ctx.printJson({{"file", o.out}, {"bytes", job.text.size()}, {"id", o.id},
                       {"memory", o.memory}});
}

// Builds the job (kept as a file when asked, and then sent as read back), sends it over
// the open port in ten pieces with progress on stderr; no probe comes first.
void runDownloadFont(CommandContext& ctx, const FontOptions& o) {
    fonts::JobText job = fonts::makeFontJob(o.ttf, fileNameOf(o.ttf), o.id, memoryOf(o));
    if (!job.ok()) {
        ctx.deviceFailure(job.error);
        return;
    }
    if (!o.keep.empty()) {
        if (std::string why = fonts::keptJobRefusal(o.keep); !why.empty()) {
            ctx.deviceFailure(why);
            return;
        }
        std::string keptPath = fonts::keptJobFileName(o.keep);
        if (!writeFileAtomically(keptPath, job.text)) {
            ctx.deviceFailure(writeFailureText(keptPath));
            return;
        }
        job = fonts::readKeptJob(keptPath);
        if (!job.ok()) {
            ctx.deviceFailure(job.error);
            return;
        }
    }
    auto session = PrinterSession::openChecked(ctx);
    if (!session) return;
    PrinterLink* link = session->links().current();
    // The last piece may repeat 100%: each position is printed once.
    auto progress = [&ctx, last = -1](int position) mutable {
        if (position == last) return;
        last = position;
        *ctx.err << "progress: " << position << "%\n";
    };
    fonts::TransferResult sent = fonts::sendFontJob(*link, job.text, progress);
    if (!sent.ok) {
        // An interrupt may also end the piece under way (its waits end early).
        const std::string end = fonts::jobEndText(fonts::closeUnfinishedJob(*link, sent));
        const std::string cut = "job cut after " + std::to_string(sent.sent) + " of " +
                                std::to_string(job.text.size()) + " bytes";
        const std::string after = end.empty() ? "" : " " + end;
        if (sent.interrupted || interruptRequested())
            ctx.stored = "font not stored (" + cut + ")." + after;
        ctx.deviceFailure(std::string(fonts::kFontDownloadFailed) + after);
        return;
    }
    if (ctx.options.json)
        ctx.printJson({{"id", o.id}, {"memory", o.memory}, {"bytes", sent.sent}});
    else
        ctx.outStream() << fonts::kFontDownloadSuccess << "\n";
    ctx.stored = "stored font " + std::to_string(o.id);
}

void installFontCommands(CLI::App& app, CommandContext& ctx) {
    auto download = std::make_shared<FontOptions>();
    CLI::App* dl = app.add_subcommand("download-font", "Download a TrueType font to the printer");
    addFontOptions(dl, *download);
    dl->add_option("--keep", download->keep, "Also keep the job as this .tfd file");
    dl->callback([&ctx, download] { runDownloadFont(ctx, *download); });

    auto fontJob = std::make_shared<FontOptions>();
    CLI::App* job = app.add_subcommand("font-job", "Build a font download job file offline");
    addFontOptions(job, *fontJob);
    job->add_option("-o,--output", fontJob->out, "Job file to write")->required();
    job->callback([&ctx, fontJob] { runFontJob(ctx, *fontJob); });
}

CommandGroupRegistrar g_fontsGroup("fonts", &installFontCommands);

}  // namespace
}  // namespace setrion::cli
