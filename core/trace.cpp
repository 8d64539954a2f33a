#include "trace.h"

#include "ports.h"

namespace label {

PortOpening Trace::reach(PortKind /*kind*/, const ChosenPort& /*port*/, Reaching /*reaching*/,
                         const std::function<PortOpening()>& open) {
    return open();
}

RawOutcome Trace::write(RawPort& port, std::string_view bytes, std::chrono::milliseconds patience) {
    return port.write(bytes, patience);
}

RawOutcome Trace::drain(RawPort& port, std::chrono::milliseconds patience) { return port.drain(patience); }

std::optional<std::string> Trace::askPrinter(RawPort& port) { return port.printerSays(); }

void Trace::shortfall(Shortfall /*left*/, const std::string& /*told*/) {}

Trace& noTrace() {
    static Trace none;
    return none;
}

}  // namespace label
