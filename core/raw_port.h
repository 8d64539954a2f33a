#pragma once

// What each system gives the core for one port, and the seam the printer
// channel opens ports through.
//
//   RawPort      one open port: a write and a drain, each within the
//                patience it is handed (bounded_port.h holds the rule), and
//                the system's words for its errors
//   PortOpening  a port as the operator knows it: opened, or why not
//   PortOpener   opens the port of a kind; the channel's only way to one,
//                and where the events of its ports are traced (trace.h)

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "port_kinds.h"
#include "trace.h"

namespace label {

// The one clock every deadline of the ports is read on.
using Clock = std::chrono::steady_clock;

// What one raw write or drain reported. `complete` false without a failure
// means the port ran out of patience. `gone` is the system's word that the
// failure was the device going away (a USB adapter pulled out): this port
// takes nothing more, but a fresh opening of its path may reach it again.
struct RawOutcome {
    std::size_t taken = 0;                 // bytes the system reports taken (writes)
    bool complete = true;                  // all offered taken, or all taken sent on (drains)
    std::optional<std::uint32_t> failure;  // the system's error code
    bool gone = false;                     // the failure: the device went away
};

class RawPort {
public:
    // Lets the port go, putting back what opening it changed.
    virtual ~RawPort() = default;
    // One write of `bytes`, given up after `patience`.
    virtual RawOutcome write(std::string_view bytes, std::chrono::milliseconds patience) = 0;
    // Waits up to `patience` until the device has sent on what it took, so
    // that letting it go kills nothing in flight.
    virtual RawOutcome drain(std::chrono::milliseconds patience) = 0;
    // The system's words for an error code.
    [[nodiscard]] virtual std::string describe(std::uint32_t error) const = 0;
    // What the printer says keeps it from taking bytes, in the operator's
    // words, asked within a bound of the port's own; nothing where it cannot
    // be asked or says all is well. Asked only after a shortfall, so that a
    // printer that is working is never disturbed.
    [[nodiscard]] virtual std::optional<std::string> printerSays() { return std::nullopt; }
    // What the operator must know of bytes the port took whole yet holds
    // back (a paused printer queue keeps the job), after a drain that went
    // through; nothing where they go on to the printer.
    [[nodiscard]] virtual std::optional<std::string> heldBack() { return std::nullopt; }
};

// A port as the operator knows it: opened, or why not.
struct PortOpening {
    std::unique_ptr<RawPort> port;  // nullptr if it could not be opened
    std::string name;               // the port as the operator knows it
    std::string problem;            // why it could not be opened
};

class PortOpener {
public:
    virtual ~PortOpener() = default;
    virtual PortOpening open(PortKind kind) = 0;
    virtual Trace& trace() { return noTrace(); }
};

}  // namespace label
