#include "parallel_program.h"

namespace label {

int runParallelProgram(Console& console, PortOpener& ports) {
    console.printLine("This program is for the Parallel port only (LPT1)");
    console.printLine("*************************************************");
    console.printBlank();
    console.printLine("Corvane Technologies  VRT Utilities Program");
    console.printBlank();
    console.printBlank();
    return runMenuLoop(parallelProfile, console, ports);
}

}  // namespace label
