#pragma once

// The addresses of a network printer, found within a deadline: one lookup for
// every system, getaddrinfo on each.
//
// An address written as numbers is read at once, without asking anyone and
// without a thread. A name is resolved by the system's resolver, which has no
// bound of its own that the program sets: glibc's waits out its own time-outs
// and retries, and makes its poll again when a signal interrupts it, so the
// deadline alarm cannot cut it short; Winsock's cannot be cancelled. The
// lookup of a name runs on a helper thread instead (helper_thread.h), and the
// caller waits for it only until the deadline.

#include <memory>
#include <optional>

#include "port_value.h"
#include "socket_calls.h"

namespace label::platform {

struct AddressList {
    std::shared_ptr<addrinfo> first;  // nullptr if the lookup failed
    std::optional<NetworkFault> fault;
};

AddressList lookUp(const NetworkAddress& address, Clock::time_point deadline);

}  // namespace label::platform
