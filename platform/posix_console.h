#pragma once

// The operator's side on POSIX systems: the keyboard, the console, and the
// three command lines the programs use, each done here without starting a
// process ("cls" writes the terminal's clear sequence, or a form feed to
// anything else; "pause" waits for one key; "mode ..." runs the serial
// port's preparation it is given). Any other command line does nothing.
//
// Ctrl-C, SIGTERM and a hang-up end keyboard input instead of killing the
// process, so the run ends the ordinary way and a command still pending
// reaches the port. A signal also writes to a pipe that every keyboard wait
// watches, so one that lands just before a wait is not missed.

#include <array>
#include <cstddef>
#include <functional>
#include <utility>

#include "console.h"

namespace label::platform {

// Makes sure descriptors 0 to 2 are open, turns the signals above into the
// end of keyboard input, and catches SIGALRM for the ports' deadlines.
void prepareProcess();

class StandardInput final : public ConsoleInput {
public:
    int readByte() override;

private:
    static constexpr std::size_t chunkSize = 4096;
    std::array<char, chunkSize> buffer_{};
    std::size_t next_ = 0;
    std::size_t end_ = 0;
};

// Standard output, or standard error.
class StandardOutput final : public ConsoleOutput {
public:
    explicit StandardOutput(int fd) : fd_(fd) {}
    void write(std::string_view bytes) override;

private:
    int fd_;
};

class PosixShell final : public Shell {
public:
    explicit PosixShell(std::function<void()> prepareSerialPort) : prepareSerialPort_(std::move(prepareSerialPort)) {}
    void run(std::string_view commandLine) override;

private:
    std::function<void()> prepareSerialPort_;
};

}  // namespace label::platform
