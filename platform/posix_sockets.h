#pragma once

// POSIX sockets, as the network code both systems share reaches them
// (socket_calls.h): a socket is a descriptor.

#include <netdb.h>
#include <sys/socket.h>

#include <cerrno>

namespace label::platform {

using Socket = int;
inline constexpr Socket noSocket = -1;
inline constexpr int connectionTimedOut = ETIMEDOUT;

}  // namespace label::platform
