#include <exception>
#include <iostream>

#include "cli/cli_app.h"
#include "common/interrupt.h"

int main(int argc, char** argv) {
    // runCli catches what its commands throw; this catches what escapes building the
    // command line itself, so no exception ever ends the program with an abort.
    // A termination signal ends the running sequence at its next step boundary; a second one
    // ends the program at once.
    setrion::installInterruptHandlers();
    try {
        return setrion::cli::runCli(argc, argv, std::cout, std::cerr);
    } catch (const std::exception& e) {
        std::cerr << "setrion-cli: " << e.what() << "\n";
    } catch (...) {
        std::cerr << "setrion-cli: unexpected failure\n";
    }
    return setrion::cli::kExitDevice;
}
