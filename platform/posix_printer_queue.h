#pragma once

// A printer queue on Linux (printer:NAME): each opening is one raw job
// through CUPS, on the print server CUPS itself would use (CUPS_SERVER,
// ~/.cups/client.conf, /etc/cups/client.conf), which hands the bytes to the
// printer untouched (application/vnd.cups-raw).
//
//   reading      loads libcups (posix_cups_library.h); without it the value
//                is refused, naming the package
//   opening      connects and asks the queue's state. No print service at
//                all is said at once; a name the server does not know is
//                reported with the queues it has (missingQueueWords); a
//                queue that refuses jobs with its own reason
//   writes       the first creates the job (named after the program) and
//                starts its one document, so that an opening that sends
//                nothing leaves no empty job behind; each goes through
//                cupsWriteRequestData
//   drain        cupsFinishDocument: the job is the server's once it took it
//                whole. A paused queue holds it: that is said (heldBack)
//   letting go   finishes a document still open (what was taken goes out,
//                as on any port) and closes the connection
//   printerSays  the queue's printer-state-reasons in the operator's words
//                (queue_state.h)
//
// No libcups call can be cut short from outside, and each may wait on a
// server that has stopped answering: each runs on a helper thread
// (helper_thread.h) that the caller waits for only within its patience. A
// call still running then ends the port, since the connection must take no
// second call while one is inside it; the call finishes on its own, and
// whichever is last out closes the connection.

#include <string>
#include <string_view>

#include "port_system.h"

namespace label::platform {

// The queue a printer:NAME value names, or why none can be reached here.
Reading<std::string> readPrinterQueue(std::string_view name);

// `queue` as CUPS names it, `shown` as the operator named it, the job named
// after `program`.
PortOpening openPrinterQueue(const std::string& queue, std::string shown, std::string_view program);

}  // namespace label::platform
