#pragma once

// The real world behind the core's seams, for the operating system at hand:
// the keyboard, the console, the command interpreter and the ports.
// One System per process; it prepares the process when made and puts back
// what it changed (terminal modes, signal handling) when destroyed.

#include <memory>

#include "console.h"
#include "printer_channel.h"

namespace label::platform {

class System {
public:
    System();
    ~System();
    System(const System&) = delete;
    System& operator=(const System&) = delete;

    ConsoleInput& input();
    ConsoleOutput& output();
    Shell& shell();
    PortOpener& ports();

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

}  // namespace label::platform
