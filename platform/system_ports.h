#pragma once

// This system's ports, as the core reaches them (port_system.h): one
// declaration, defined by the file of the system being built.
//
// POSIX (posix_ports.cpp): a kind leads to the path compiled in as
// LABEL_COM1_PATH or LABEL_LPT1_PATH unless its variable names another; any
// path is a device. A device is opened without waiting (no FIFO reader: the
// open fails; a serial line without carrier opens all the same, since its
// modem lines are ignored), never created and never truncated, and written at
// its end. A terminal port is held by this program alone while it is open,
// and gets raw output so that it receives exactly the bytes sent; both are
// undone when it is let go (posix_terminal.h, posix_raw_port.h). A printer
// queue is CUPS's, and has a port of its own (posix_printer_queue.h).
// prepareLine sets 9600 baud, 8 data bits, no parity, 1 stop bit, meant to
// stay once the program ends, as mode's settings do; resetLine does the same.
// A terminal that hung up (EIO, ENODEV: its device went away) is reported
// gone (raw_port.h).
//
// Windows (windows_ports.cpp): a kind leads to COM1 or LPT1, or to the port
// its variable names (windows_port_names.h). A port is opened for overlapped
// writing and never created; a file standing in for one is written at its
// end. Every write is given the patience that the bounded port
// (bounded_port.h) hands it: one the port has not finished in time is
// cancelled, and what the system reports taken counts, even from a write
// that failed. A printer queue has a port of its own
// (windows_printer_queue.h). prepareLine runs the operators' mode command for
// the port: only a checked COMn goes into it, and mode reports its own
// errors. resetLine sets the same through the system's own calls, since mode
// would speak on standard output. A device not connected, or a general
// failure of a COM port (a USB adapter pulled out), is reported gone.
//
// Both: a printer on the network has a port of its own (socket_port.h).

#include "port_system.h"

namespace label::platform {

class SystemPorts final : public PortSystem {
public:
    Device defaultDevice(PortKind kind) override;
    Reading<Device> readDevice(PortKind kind, std::string_view value) override;
    Reading<std::string> readQueue(PortKind kind, std::string_view name) override;

    PortOpening openDevice(PortKind kind, const Device& device) override;
    PortOpening openNetwork(const NetworkAddress& address) override;
    PortOpening openQueue(PortKind kind, const std::string& queue) override;

    std::string prepareLine(const Device& device) override;
    std::string resetLine(const Device& device) override;
};

}  // namespace label::platform
