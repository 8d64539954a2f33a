#pragma once

// The real world behind the core's seams, for the operating system at hand:
// the keyboard, the console, the command interpreter and the ports.
// One System per process; making it prepares the process (standard
// descriptors kept open, Ctrl-C and the like turned into the end of keyboard
// input), and destroying it undoes that (the Windows console's Ctrl-C
// handler). Nothing else the programs change outlives them unless it is meant
// to: the console's mode changed for a single key is put back by the wait
// itself, on every way out; a terminal port's raw output and its hold are
// undone when the port is let go; the serial preparation's line settings
// stay, as the mode command's do. LABEL_TRACE, when set, traces the ports
// of the run (file_trace.h) from the moment the System is made.

#include <memory>

#include "console.h"
#include "printer_channel.h"

namespace label::platform {

class System {
public:
    // The program made for `program`'s kind of port.
    explicit System(PortKind program);
    ~System();
    System(const System&) = delete;
    System& operator=(const System&) = delete;

    ConsoleInput& input();
    ConsoleOutput& output();
    ConsoleOutput& errors();
    Shell& shell();
    PortOpener& ports();

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

}  // namespace label::platform
