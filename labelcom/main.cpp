#include "serial_program.h"
#include "system.h"

int main() {
    label::platform::System system(label::PortKind::serial);
    label::Console console(system.input(), system.output(), system.shell(), system.errors());
    const int status = label::runSerialProgram(console, system.ports());
    console.flush();
    return status;
}
