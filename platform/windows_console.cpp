#include "windows_console.h"

#include <windows.h>

#include <cstdlib>
#include <string>

#include "shell_commands.h"

namespace label::platform {
namespace {

volatile LONG interrupted = 0;

BOOL WINAPI noteInterrupt(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) {
        return FALSE;
    }
    InterlockedExchange(&interrupted, 1);
    return TRUE;
}

}  // namespace

void runInInterpreter(const std::string& commandLine) {
    static_cast<void>(std::system(commandLine.c_str()));  // NOLINT(cert-env33-c)
}

void catchInterrupts(bool catching) { SetConsoleCtrlHandler(noteInterrupt, catching ? TRUE : FALSE); }

int StandardInput::readByte() {
    if (interrupted != 0) {
        return endOfInput;
    }
    // One byte at a time: a bulk read would wait for more lines than the
    // operator has typed.
    const int byte = std::getc(stdin);
    return byte == EOF ? endOfInput : byte;
}

// Flushed at once: a command line run next must find this text already on
// the console.
void StandardOutput::write(std::string_view bytes) {
    // Nobody is left to tell if the console itself fails.
    static_cast<void>(std::fwrite(bytes.data(), 1, bytes.size(), stream_));
    static_cast<void>(std::fflush(stream_));
}

void CommandInterpreter::run(std::string_view commandLine) {
    if (commandLine == shell_commands::clearScreen || commandLine == shell_commands::pause) {
        runInInterpreter(std::string(commandLine));
    } else if (commandLine == shell_commands::prepareSerialPort) {
        prepareSerialPort_();
    }
}

}  // namespace label::platform
