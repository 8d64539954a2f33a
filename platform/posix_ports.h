#pragma once

// The ports on POSIX systems, as the core reaches them (port_system.h). A
// kind leads to the path compiled in as LABEL_COM1_PATH or LABEL_LPT1_PATH
// unless its variable names another; any path is a device here. Printer
// queues are the spooler's, on Windows: a printer:NAME value is refused.
//
// A device is opened without waiting (no FIFO reader: the open fails; a
// serial line without carrier opens all the same, since its modem lines are
// ignored), never created and never truncated, and written at its end. A
// terminal port is held by this program alone while it is open, and gets raw
// output so that it receives exactly the bytes sent; both are undone when it
// is let go (posix_terminal.h, posix_raw_port.h). A printer on the network
// has a port of its own (socket_port.h).

#include "port_system.h"

namespace label::platform {

class PosixPorts final : public PortSystem {
public:
    Device defaultDevice(PortKind kind) override;
    Reading<Device> readDevice(PortKind kind, std::string_view value) override;
    Reading<std::string> readQueue(PortKind kind, std::string_view name) override;

    PortOpening openDevice(PortKind kind, const Device& device) override;
    PortOpening openNetwork(const NetworkAddress& address) override;
    PortOpening openQueue(PortKind kind, const std::string& queue) override;

    // 9600 baud, 8 data bits, no parity, 1 stop bit: the settings meant to
    // stay once the program ends, as mode's do.
    std::string prepareLine(const Device& device) override;
};

}  // namespace label::platform
