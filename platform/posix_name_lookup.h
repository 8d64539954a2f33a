#pragma once

// The addresses of a network printer, found within a deadline.
//
// An address written as numbers is read at once, without asking anyone. A
// name is resolved by the system's resolver, which has no bound of its own
// that the program sets: glibc's waits out its own time-outs and retries,
// and makes its poll again when a signal interrupts it, so the deadline
// alarm cannot cut it short. The lookup runs on a helper thread instead
// (helper_thread.h), and the caller waits for it only until the
// deadline.

#include <netdb.h>

#include <memory>
#include <optional>

#include "port_value.h"
#include "posix_io.h"

namespace label::platform {

struct AddressList {
    std::shared_ptr<addrinfo> first;  // nullptr if the lookup failed
    std::optional<NetworkFault> fault;
};

AddressList lookUp(const NetworkAddress& address, Clock::time_point deadline);

}  // namespace label::platform
