#include "ports.h"
#include "system.h"
#include "system_ports.h"
#include "trace_file.h"
#include "windows_console.h"

namespace label::platform {

struct System::Parts {
    explicit Parts(PortKind program) : trace(startTrace(program, errors, traceSystem())) {}

    StandardInput input;
    StandardOutput output{stdout};
    StandardOutput errors{stderr};
    std::unique_ptr<Trace> trace;
    SystemPorts system;
    Ports ports{system, errors, *trace};
    CommandInterpreter shell{[this] { ports.prepareSerialLine(); }};
};

System::System(PortKind program) : parts_(std::make_unique<Parts>(program)) { catchInterrupts(true); }

System::~System() { catchInterrupts(false); }

ConsoleInput& System::input() { return parts_->input; }
ConsoleOutput& System::output() { return parts_->output; }
ConsoleOutput& System::errors() { return parts_->errors; }
Shell& System::shell() { return parts_->shell; }
PortOpener& System::ports() { return parts_->ports; }

}  // namespace label::platform
