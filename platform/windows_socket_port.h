#pragma once

// A printer on the network on Windows, in the same shape as on POSIX
// (posix_socket_port.h): the name looked up and the connection made within
// one writePatience together, each write bounded by its patience, the drain
// waiting until the printer has acknowledged every byte, then the sending
// side shut and the socket closed.
//
// A name is resolved on a helper thread that the caller waits for only
// until the deadline; one still running then finishes on its own. The
// drain asks the system how much is still unacknowledged (SIO_TCP_INFO);
// a system that cannot say (before Windows 10 1703, or wine) is waited on
// until the printer ends the connection after the sending side is shut,
// within the same patience.

#include "bounded_port.h"
#include "port_value.h"

namespace label::platform {

PortOpening openSocketPort(const NetworkAddress& address);

}  // namespace label::platform
