#pragma once

// The operator's console: buffered output with explicit flush points, shell
// commands, and the byte-level input that the number reader scans.
//
//   printText   appends to the pending text (at most 512 bytes are held)
//   printLine   appends the text and a line end, then flushes
//   printBlank  appends a line end alone, then flushes
//   printError  writes one line on the error console at once; the dialogue's
//               own text is not flushed for it
//   writeErrorLine(errors, line)   the one road to the error console, which
//               printError takes: every text there passes through printable,
//               so nothing the operator gave (a path, a host, a queue's
//               name) can move the terminal's cursor or clear its screen
//   printable(text)   the text with each control character (isControl) as ?
//   clearScreen runs "cls"; pending text is NOT flushed first, so text left
//               pending just before a clear shows on the cleared screen
//   peekByte / takeByte / putBack   the input, one byte at a time
//   inputFailed / markFailed / clearFailed   the sticky failed mark

#include <cstddef>
#include <string>
#include <string_view>

namespace label {

inline constexpr int endOfInput = -1;

class ConsoleInput {
public:
    virtual ~ConsoleInput() = default;
    // The next byte (0 to 255), or endOfInput once input is over for good.
    virtual int readByte() = 0;
};

class ConsoleOutput {
public:
    virtual ~ConsoleOutput() = default;
    virtual void write(std::string_view bytes) = 0;
};

bool isControl(char byte);
std::string printable(std::string_view text);

// One line, with its line end, in one write.
void writeErrorLine(ConsoleOutput& errors, std::string_view line);

class Shell {
public:
    virtual ~Shell() = default;
    // Runs a command line to completion; nobody looks at how it went.
    virtual void run(std::string_view commandLine) = 0;
};

class Console {
public:
    // Text is handed on once MORE than this is pending, so a long prompt
    // written in one piece still reaches the console in one write. This
    // reproduces the console stream's 512-byte buffer, which spills only
    // when full and then more; the printer channel's buffer of the same size
    // hands on at exactly 512 (printer_channel.h).
    static constexpr std::size_t pendingCapacity = 512;

    Console(ConsoleInput& input, ConsoleOutput& output, Shell& shell, ConsoleOutput& errors);
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    void printText(std::string_view text);
    void printLine(std::string_view text);
    void printBlank();
    void flush();
    void printError(std::string_view line);

    void clearScreen();
    void runShellCommand(std::string_view commandLine);

    int peekByte();
    int takeByte();
    void putBack(std::string_view bytes);

    // Sticky until cleared: only the number entry's retry clears it. This
    // reproduces the input stream's failed state, which the programs never
    // cleared after labelcom's first question: a non-number answer there
    // shows the menu once and then ends the run, as the menu's read fails at
    // once.
    [[nodiscard]] bool inputFailed() const { return failed_; }
    void markFailed() { failed_ = true; }
    void clearFailed() { failed_ = false; }

private:
    ConsoleInput& input_;
    ConsoleOutput& output_;
    Shell& shell_;
    ConsoleOutput& errors_;
    std::string pending_;
    std::string lookahead_;
    bool ended_ = false;
    bool failed_ = false;
};

}  // namespace label
