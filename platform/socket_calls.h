#pragma once

// What each system gives the network code that both share (name_lookup.cpp,
// first_connection.cpp, socket_port.cpp): a few raw calls on its sockets,
// posix_sockets.cpp and windows_sockets.cpp. Its own header, which CMake
// names in LABEL_SYSTEM_SOCKETS (posix_sockets.h, windows_sockets.h), brings
// the system's socket declarations (addrinfo, getaddrinfo), the type of a
// socket and the few codes the shared code names. Error codes are the
// system's own (errno, WSAGetLastError).

#include LABEL_SYSTEM_SOCKETS

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bounded_port.h"
#include "port_value.h"

namespace label::platform {

// Why this process cannot use sockets at all, or 0.
int socketsUnusable();
// The reason the last socket call failed.
int socketError();

// A socket for `address` that never blocks, its connection started: `error`
// is 0 if it is made already, connecting(error) while it is under way. Where
// no socket could be made or its connection failed at once, noSocket and
// the reason.
Socket startConnecting(const addrinfo& address, int& error);
bool connecting(int error);
// Why a connection under way failed, or 0 once it is made.
int connectionError(Socket socket);
// Waits until one of `sockets` at least has connected or failed, or until
// `until`; which ones have (one flag each, all false after an interruption).
std::vector<bool> connectionsEnded(const std::vector<Socket>& sockets, Clock::time_point until);
void closeSocket(Socket socket);

// As many of `bytes` as the system takes now, without raising any signal, or
// nothing with the reason in socketError().
std::optional<std::size_t> sendSome(Socket socket, std::string_view bytes);
// The error means only that nothing can be taken now.
bool mustWait(int error);
// True once the socket takes bytes again before the deadline; asks once even
// when the deadline has passed already.
bool waitSendable(Socket socket, Clock::time_point deadline);
// The drain (bounded_port.h): waits until the printer has acknowledged all
// `handed` bytes that the socket took, or the deadline passes.
RawOutcome drainSocket(Socket socket, std::uint64_t handed, Clock::time_point deadline);
// Shuts the sending side, so that the printer sees the end of the job, reads
// away whatever the printer said (an unread answer would turn the close into
// a reset), and closes.
void letGoOfSocket(Socket socket);

// What a network error means to the operator, where it is one they are told
// in their own words (networkFaultWords); else the system's words.
std::optional<NetworkFault> faultOf(int error);
std::string systemWords(int error);

}  // namespace label::platform
