#include "console.h"

#include <algorithm>

#include "shell_commands.h"

namespace label {

Console::Console(ConsoleInput& input, ConsoleOutput& output, Shell& shell, ConsoleOutput& errors)
    : input_(input), output_(output), shell_(shell), errors_(errors) {}

void Console::printText(std::string_view text) {
    pending_ += text;
    if (pending_.size() > pendingCapacity) {
        flush();
    }
}

void Console::printLine(std::string_view text) {
    printText(text);
    printBlank();
}

void Console::printBlank() {
    pending_ += '\n';
    flush();
}

void Console::flush() {
    if (!pending_.empty()) {
        output_.write(pending_);
        pending_.clear();
    }
}

bool isControl(char byte) {
    constexpr unsigned char firstPrintable = 0x20;
    constexpr unsigned char deleteChar = 0x7f;
    const auto code = static_cast<unsigned char>(byte);
    return code < firstPrintable || code == deleteChar;
}

std::string printable(std::string_view text) {
    std::string shown(text);
    std::replace_if(shown.begin(), shown.end(), isControl, '?');
    return shown;
}

void writeErrorLine(ConsoleOutput& errors, std::string_view line) { errors.write(printable(line) + "\n"); }

void Console::printError(std::string_view line) { writeErrorLine(errors_, line); }

void Console::clearScreen() { runShellCommand(shell_commands::clearScreen); }

void Console::runShellCommand(std::string_view commandLine) { shell_.run(commandLine); }

int Console::peekByte() {
    if (lookahead_.empty()) {
        if (ended_) {
            return endOfInput;
        }
        const int byte = input_.readByte();
        if (byte == endOfInput) {
            // Once over, always over: a terminal's end-of-file key must not
            // let a later read block again.
            ended_ = true;
            return endOfInput;
        }
        lookahead_.push_back(static_cast<char>(byte));
    }
    return static_cast<unsigned char>(lookahead_.front());
}

int Console::takeByte() {
    const int byte = peekByte();
    if (byte != endOfInput) {
        lookahead_.erase(0, 1);
    }
    return byte;
}

void Console::putBack(std::string_view bytes) { lookahead_.insert(0, bytes); }

}  // namespace label
