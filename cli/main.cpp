#include <exception>
#include <iostream>

#include "cli/checked_output.h"
#include "cli/cli_app.h"
#include "common/interrupt.h"

namespace {

int run(int argc, char** argv) {
    // runCli catches what its commands throw; this catches what escapes building the
    // command line itself, so no exception ever ends the program with an abort.
    try {
        return setrion::cli::runCli(argc, argv, std::cout, std::cerr);
    } catch (const std::exception& e) {
        std::cerr << "setrion-cli: " << e.what() << "\n";
    } catch (...) {
        std::cerr << "setrion-cli: unexpected failure\n";
    }
    return setrion::cli::kExitDevice;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace setrion::cli;
    // A termination signal ends the running sequence at its next step boundary; a second one
    // ends the program at once. A reader that goes away (SIGPIPE ignored) or a full disk
    // ends it the same way, through the output's failed write.
    setrion::installInterruptHandlers();
    CheckedOutput out(stdout);
    CheckedOutput err(stderr);
    std::cout.rdbuf(&out);
    std::cerr.rdbuf(&err);
    int rc = run(argc, argv);
    // Output that could not be written is a failure, however the command ended: a backup
    // written to a full disk must not look saved.
    const bool outWritten = out.close();
    if (!outWritten || err.failed()) {
        if (!outWritten)
            std::cerr << "setrion-cli: cannot write the output: " << out.reason() << "\n";
        if (rc == kExitOk || setrion::interruptSignal() == 0) rc = kExitDevice;
    }
    std::cerr.flush();
    std::cout.rdbuf(nullptr);
    std::cerr.rdbuf(nullptr);
    return rc;
}
