#include "ports.h"
#include "system.h"
#include "windows_console.h"
#include "windows_ports.h"

namespace label::platform {

struct System::Parts {
    StandardInput input;
    StandardOutput output{stdout};
    StandardOutput errors{stderr};
    WindowsPorts system;
    Ports ports{system, errors};
    CommandInterpreter shell{[this] { ports.prepareSerialLine(); }};
};

System::System() : parts_(std::make_unique<Parts>()) { catchInterrupts(true); }

System::~System() { catchInterrupts(false); }

ConsoleInput& System::input() { return parts_->input; }
ConsoleOutput& System::output() { return parts_->output; }
ConsoleOutput& System::errors() { return parts_->errors; }
Shell& System::shell() { return parts_->shell; }
PortOpener& System::ports() { return parts_->ports; }

}  // namespace label::platform
