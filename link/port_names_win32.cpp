#include "link/port_names.h"

namespace setrion {

// Windows numbers COM ports up to 256; from COM10 on they open only through \\.\.
int maxComPortNumber() { return 256; }
std::string defaultComDevice(int n) { return "\\\\.\\COM" + std::to_string(n); }

}  // namespace setrion
