#pragma once

// A printer on the network, as the bounded port sees it (bounded_port.h):
// one raw TCP connection, made when the port is opened.
//
//   opening  the name is looked up and the connection made within one
//            writePatience together (posix_name_lookup.h); each address the
//            name has is tried in turn until one answers
//   write    sends without ever raising SIGPIPE, waiting for room for the
//            patience given; only "try again" and "interrupted" mean it ran
//            out of time, any other error ends the connection
//   drain    waits, for the patience given, until the printer has
//            acknowledged every byte sent; what it has not by then counts as
//            lost, as does a connection that breaks meanwhile
//   letting go   shuts the sending side, so that the printer sees the end of
//            the job, reads away whatever the printer said (an unread answer
//            would turn the close into a reset), and closes

#include "bounded_port.h"
#include "port_value.h"

namespace label::platform {

PortOpening openSocketPort(const NetworkAddress& address);

}  // namespace label::platform
