#include "link/spooler.h"

namespace setrion {

// Built when libcups is not available: there is no spooler to ask.
std::unique_ptr<Spooler> makeSystemSpooler() { return std::make_unique<NullSpooler>(); }
bool systemSpoolerIsCups() { return false; }

}  // namespace setrion
