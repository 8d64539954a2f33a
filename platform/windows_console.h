#pragma once

// The operator's side on Windows: the keyboard and the console are standard
// input and output in the C library's text mode. "cls" and "pause" go to the
// command interpreter, after what the core already wrote is on the console;
// the serial port's preparation is handed to the core, which runs "mode" for
// the port chosen (system_ports.h); any other command line does nothing.
//
// Ctrl-C and Ctrl-Break end keyboard input instead of killing the process,
// so the run ends the ordinary way and a command still pending reaches the
// port.

#include <cstdio>
#include <functional>
#include <string>
#include <utility>

#include "console.h"

namespace label::platform {

// Turns Ctrl-C and Ctrl-Break into the end of keyboard input, or stops that.
void catchInterrupts(bool catching);

class StandardInput final : public ConsoleInput {
public:
    int readByte() override;
};

// Standard output or standard error.
class StandardOutput final : public ConsoleOutput {
public:
    explicit StandardOutput(std::FILE* stream) : stream_(stream) {}
    void write(std::string_view bytes) override;

private:
    std::FILE* stream_;
};

// Runs a command line that the programs made themselves: nothing in it comes
// from outside unchecked.
void runInInterpreter(const std::string& commandLine);

class CommandInterpreter final : public Shell {
public:
    explicit CommandInterpreter(std::function<void()> prepareSerialPort)
        : prepareSerialPort_(std::move(prepareSerialPort)) {}
    void run(std::string_view commandLine) override;

private:
    std::function<void()> prepareSerialPort_;
};

}  // namespace label::platform
