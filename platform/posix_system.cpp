#include <unistd.h>

#include "ports.h"
#include "posix_console.h"
#include "posix_ports.h"
#include "system.h"

namespace label::platform {

struct System::Parts {
    StandardInput input;
    StandardOutput output{STDOUT_FILENO};
    StandardOutput errors{STDERR_FILENO};
    PosixPorts system;
    Ports ports{system, errors};
    PosixShell shell{[this] { ports.prepareSerialLine(); }};
};

System::System() : parts_(std::make_unique<Parts>()) { prepareProcess(); }

System::~System() = default;

ConsoleInput& System::input() { return parts_->input; }
ConsoleOutput& System::output() { return parts_->output; }
ConsoleOutput& System::errors() { return parts_->errors; }
Shell& System::shell() { return parts_->shell; }
PortOpener& System::ports() { return parts_->ports; }

}  // namespace label::platform
