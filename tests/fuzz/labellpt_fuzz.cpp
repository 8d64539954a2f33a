#include "parallel_program.h"
#include "run_program.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    label::fuzzing::runAndCheck(label::runParallelProgram, label::PortKind::parallel, data, size);
    return 0;
}
