#pragma once

// What the ports of a run did, for the operator to send when nothing
// printed. The core calls these at each event; this class, the default, does
// nothing but the call itself, so a run without a trace reads no clock and
// words nothing for one. file_trace.h writes the events to a file.
//
//   reach      a port is reached at its first byte: `open` opens it, as
//              `port` (its kind's variable, the way chosen) asks; `again`
//              when it is reopened after its device went away
//   write, drain, askPrinter   one call on a reached port, with its outcome
//   shortfall  a write or drain fell short: the port is stalled, ended or
//              its device gone, and the operator is told `told`

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "port_kinds.h"

namespace label {

struct ChosenPort;
struct PortOpening;
struct RawOutcome;
class RawPort;

// What a shortfall leaves of a port (bounded_port.h).
enum class Shortfall { stalled, ended, gone };

// Whether a port is reached for the first time, or after its device went away.
enum class Reaching { first, again };

class Trace {
public:
    Trace() = default;
    virtual ~Trace() = default;
    Trace(const Trace&) = delete;
    Trace& operator=(const Trace&) = delete;

    virtual PortOpening reach(PortKind kind, const ChosenPort& port, Reaching reaching,
                              const std::function<PortOpening()>& open);
    virtual RawOutcome write(RawPort& port, std::string_view bytes, std::chrono::milliseconds patience);
    virtual RawOutcome drain(RawPort& port, std::chrono::milliseconds patience);
    virtual std::optional<std::string> askPrinter(RawPort& port);
    virtual void shortfall(Shortfall left, const std::string& told);
};

// The trace of a run that has none.
Trace& noTrace();

}  // namespace label
