#include "link/port_names.h"

namespace setrion {

// COM1..COM9 are the first nine ttyS ports, as the port lists offer them.
int maxComPortNumber() { return 9; }
std::string defaultComDevice(int n) { return "/dev/ttyS" + std::to_string(n - 1); }

}  // namespace setrion
