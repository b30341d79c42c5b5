// Where there is no device manager: no ports are discovered.
#include "link/port_discovery.h"

namespace setrion {

DeviceSource& systemDeviceSource() {
    static FixedDeviceSource source;
    return source;
}

}  // namespace setrion
