#pragma once

// The ports on Windows, as the core reaches them (port_system.h). Each kind
// leads to its default port (COM1, LPT1), or to the port its variable names
// (windows_port_names.h).
//
// A port is opened for overlapped writing and never created; a file standing
// in for one is written at its end. Every write is given the patience that
// the bounded port (bounded_port.h) hands it: one the port has not finished
// in time is cancelled, and what the system reports taken counts, even from a
// write that failed. A printer on the network (socket_port.h) and a
// printer queue (windows_printer_queue.h) have ports of their own.

#include "port_system.h"

namespace label::platform {

class WindowsPorts final : public PortSystem {
public:
    Device defaultDevice(PortKind kind) override;
    Reading<Device> readDevice(PortKind kind, std::string_view value) override;
    Reading<std::string> readQueue(PortKind kind, std::string_view name) override;

    PortOpening openDevice(PortKind kind, const Device& device) override;
    PortOpening openNetwork(const NetworkAddress& address) override;
    PortOpening openQueue(PortKind kind, const std::string& queue) override;

    // Runs the operators' mode command for the port: only a checked COMn
    // goes into it, and mode reports its own errors.
    std::string prepareLine(const Device& device) override;
};

}  // namespace label::platform
