#include "serial_program.h"

#include <cstdint>

#include "number_entry.h"
#include "shell_commands.h"

namespace label {
namespace {

constexpr std::int32_t prepareAnswer = 1;

void printBanner(Console& console) {
    console.printLine("This program is for the Serial port only (COM1)");
    console.printText("*************************************************\n");
    console.printText("The DEFAULT Serial Parameters on the printer are\n");
    console.printText("9600, 8 data bits, 1 stop bit and No parity\n");
    console.printText("Before running this program make sure that your\n");
    console.printText("serial port on your PC is set up to match the\n");
    console.printLine("parameters on the printer.\n");
    console.printLine("Corvane Technologies  VRT Utilities Program\n\n");
}

void offerPortPreparation(Console& console) {
    console.printText("To set your serial port on your PC to 9600, 8 data bits, no \n");
    console.printText("stop bits and No parity press 1  followed by enter, Enter the 2\n");
    console.printText("key followed by enter if you do not want to\n");
    console.printText("change the parameters on your serial port\n");
    std::int32_t answer = 0;
    readFormatted(console, answer);
    if (answer == prepareAnswer) {
        console.runShellCommand(shell_commands::pause);
        console.runShellCommand(shell_commands::prepareSerialPort);
        console.runShellCommand(shell_commands::pause);
        console.clearScreen();
    }
}

}  // namespace

int runSerialProgram(Console& console, PortOpener& ports) {
    printBanner(console);
    offerPortPreparation(console);
    return runMenuLoop(serialProfile, console, ports);
}

}  // namespace label
