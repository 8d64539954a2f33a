#include "parallel_program.h"
#include "system.h"

int main() {
    label::platform::System system(label::PortKind::parallel);
    label::Console console(system.input(), system.output(), system.shell(), system.errors());
    const int status = label::runParallelProgram(console, system.ports());
    console.flush();
    return status;
}
