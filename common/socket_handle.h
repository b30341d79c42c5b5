#pragma once
#include <cstdint>

namespace setrion {

// A socket as the system names it: a POSIX descriptor, or a Winsock SOCKET (pointer-sized,
// so it never passes through an int).
using SocketHandle = std::uintptr_t;
// No socket: -1 as a descriptor and INVALID_SOCKET alike.
inline constexpr SocketHandle kNoSocket = ~SocketHandle{0};

}  // namespace setrion
