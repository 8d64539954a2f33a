#pragma once

// Winsock, as the network code both systems share reaches it
// (socket_calls.h).

// Winsock before the rest of the system's headers, which need its types.
#include <winsock2.h>

#include <ws2tcpip.h>

namespace label::platform {

using Socket = SOCKET;
inline constexpr Socket noSocket = INVALID_SOCKET;
inline constexpr int connectionTimedOut = WSAETIMEDOUT;

}  // namespace label::platform
