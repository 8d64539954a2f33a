#pragma once

// A printer on the network, as the bounded port sees it (bounded_port.h): one
// raw TCP connection, made when the port is opened. Written once for every
// system, over each one's socket calls (socket_calls.h).
//
//   opening  the name is looked up (name_lookup.h) and the connection made
//            within one writePatience together; of a name's several
//            addresses, the first to answer is taken (first_connection.h)
//   write    sends without ever raising a signal, waiting for room for the
//            patience given; only "nothing can be taken now" means it ran out
//            of time, any other error ends the connection
//   drain    waits, for the patience given, until the printer has
//            acknowledged every byte sent; what it has not by then counts as
//            lost, as does a connection that breaks meanwhile. Windows asks
//            the system how much is unacknowledged (SIO_TCP_INFO); a system
//            that cannot say (before Windows 10 1703, or wine) is waited on
//            until the printer ends the connection after the sending side is
//            shut, within the same patience
//   letting go   shuts the sending side, so that the printer sees the end of
//            the job, reads away whatever the printer said, and closes
//   reports  a network fault in the operator's words (networkFaultWords),
//            any other error in the system's

#include "bounded_port.h"
#include "port_value.h"

namespace label::platform {

PortOpening openSocketPort(const NetworkAddress& address);

}  // namespace label::platform
