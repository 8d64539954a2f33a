#pragma once

// A printer queue on Windows (printer:NAME): each opening is one raw print
// job through the spooler, which hands the bytes to the printer's own port
// (USB001, a TCP/IP port, a shared printer) untouched.
//
//   opening      OpenPrinter; a name the spooler does not know is reported
//                with the printers installed, local ones and connections,
//                each with its driver's name (missingQueueWords)
//   writes       the first starts the document (datatype RAW, named after
//                the program), so that an opening that sends nothing leaves
//                no empty job behind; each goes through WritePrinter
//   drain        EndDocPrinter: the job is the spooler's once it is ended. A
//                job that could not be ended has lost what it took. A paused
//                printer holds the job: that is said (heldBack)
//   letting go   ends a document still open (what was taken goes out, as on
//                any port) and closes the printer
//   printerSays  the printer's status (PRINTER_INFO_2) in the words both
//                systems share (windows_queue_status.h, queue_state.h)
//
// A spooler call may wait on the printer (one set to print directly, a
// connection to another machine), and no call can be cancelled: each runs
// on a helper thread (helper_thread.h) that the caller waits for only within
// its patience. A call still running then ends the port, since the printer's
// handle must take no second call while one is inside it; the call finishes
// on its own, and whichever is last out lets the printer go.

#include <string>
#include <string_view>

#include "bounded_port.h"

namespace label::platform {

// Said when the spooler kept a call beyond the patience.
std::string spoolerTimedOut();

// `queue` as Windows lists the printer, `shown` as the operator named it, the
// job named after `program`.
PortOpening openPrinterQueue(const std::string& queue, std::string shown, std::string_view program);

}  // namespace label::platform
