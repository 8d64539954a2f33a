#pragma once

// The connection to a printer whose name has several addresses, made as RFC
// 8305 has it, so that an address that never answers (a printer's old
// address, an IPv6 route that drops everything) costs a moment, not the whole
// patience: written once over each system's socket calls (socket_calls.h).
//
//   connectFirst(addresses, deadline, reason)   tries the addresses in the
//            order the lookup gave them: the next one nextAttemptDelay after
//            the last was started, or at once when every attempt under way
//            has failed. Every attempt goes on until one connects or the
//            deadline passes. The first to connect is handed back and the
//            rest are closed. noSocket if none connected; `reason` is then
//            why the last attempt to end failed, an attempt still under way
//            at the deadline ending with connectionTimedOut.

#include <chrono>

#include "bounded_port.h"
#include "socket_calls.h"

namespace label::platform {

inline constexpr std::chrono::milliseconds nextAttemptDelay{250};

Socket connectFirst(const addrinfo* addresses, Clock::time_point deadline, int& reason);

}  // namespace label::platform
