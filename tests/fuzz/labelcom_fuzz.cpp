#include "run_program.h"
#include "serial_program.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    label::fuzzing::runAndCheck(label::runSerialProgram, label::PortKind::serial, data, size);
    return 0;
}
