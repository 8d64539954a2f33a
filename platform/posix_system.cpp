#include <unistd.h>

#include "ports.h"
#include "posix_console.h"
#include "system.h"
#include "system_ports.h"
#include "trace_file.h"

namespace label::platform {

struct System::Parts {
    explicit Parts(PortKind program) : trace(startTrace(program, errors, traceSystem())) {}

    StandardInput input;
    StandardOutput output{STDOUT_FILENO};
    StandardOutput errors{STDERR_FILENO};
    std::unique_ptr<Trace> trace;
    SystemPorts system;
    Ports ports{system, errors, *trace};
    PosixShell shell{[this] { ports.prepareSerialLine(); }};
};

// The standard descriptors are open before the trace's file is, so that it
// can never be handed descriptor 1 or 2.
System::System(PortKind program) {
    prepareProcess();
    parts_ = std::make_unique<Parts>(program);
}

System::~System() = default;

ConsoleInput& System::input() { return parts_->input; }
ConsoleOutput& System::output() { return parts_->output; }
ConsoleOutput& System::errors() { return parts_->errors; }
Shell& System::shell() { return parts_->shell; }
PortOpener& System::ports() { return parts_->ports; }

}  // namespace label::platform
