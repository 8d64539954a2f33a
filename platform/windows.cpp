// Windows side of the platform layer.
//
// Ports are the system's own COM1 and LPT1, opened for binary writing; they
// are never created, and a file standing in for one is written at its end.
// A serial port gives up a write that it has not taken within five seconds.
//
// The console is standard input and output in the C library's text mode,
// and every command line ("cls", "pause", "mode com1:96,N,8,1") goes to the
// command interpreter, after what the core already wrote is on the console.
//
// Ctrl-C and Ctrl-Break end keyboard input instead of killing the process,
// so the run ends the ordinary way and a command still pending reaches the
// port.

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "system.h"

namespace label::platform {
namespace {

constexpr DWORD portWriteTimeoutMilliseconds = 5000;

volatile LONG interrupted = 0;

BOOL WINAPI noteInterrupt(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) {
        return FALSE;
    }
    InterlockedExchange(&interrupted, 1);
    return TRUE;
}

class StandardInput final : public ConsoleInput {
public:
    int readByte() override {
        if (interrupted != 0) {
            return endOfInput;
        }
        // One byte at a time: a bulk read would wait for more lines than
        // the operator has typed.
        const int byte = std::getc(stdin);
        return byte == EOF ? endOfInput : byte;
    }
};

// Standard output or standard error.
class StandardOutput final : public ConsoleOutput {
public:
    explicit StandardOutput(std::FILE* stream) : stream_(stream) {}
    // Flushed at once: a command line run next must find this text already
    // on the console.
    void write(std::string_view bytes) override {
        std::fwrite(bytes.data(), 1, bytes.size(), stream_);
        std::fflush(stream_);
    }

private:
    std::FILE* stream_;
};

std::string portName(std::string_view deviceName) { return deviceName == "com1:" ? "\\\\.\\COM1" : "\\\\.\\LPT1"; }

// The system's own words for an error code, without its line end.
std::string describeError(DWORD error) {
    std::array<char, 512> text{};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                        text.data(), static_cast<DWORD>(text.size()), nullptr);
    std::string words(text.data(), length);
    while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == '.')) {
        words.pop_back();
    }
    return words.empty() ? "error " + std::to_string(error) : words;
}

// Fails quietly on anything that is not a serial line.
void limitWriteTime(HANDLE port) {
    COMMTIMEOUTS timeouts{};
    timeouts.WriteTotalTimeoutConstant = portWriteTimeoutMilliseconds;
    SetCommTimeouts(port, &timeouts);
}

// A port has no end to seek to and ignores this; a file standing in for a
// port keeps what earlier runs and menu cycles sent.
void moveToEnd(HANDLE port) { SetFilePointerEx(port, LARGE_INTEGER{}, nullptr, FILE_END); }

class WindowsPort final : public PortDevice {
public:
    explicit WindowsPort(HANDLE handle) : handle_(handle) {}
    ~WindowsPort() override { CloseHandle(handle_); }
    WindowsPort(const WindowsPort&) = delete;
    WindowsPort& operator=(const WindowsPort&) = delete;

    // One call: a serial port that runs out of time returns what it took,
    // and anything else takes all or fails.
    std::size_t write(std::string_view bytes) override {
        const auto offered = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), MAXDWORD));
        DWORD written = 0;
        if (WriteFile(handle_, bytes.data(), offered, &written, nullptr) == FALSE) {
            problem_ = describeError(GetLastError());
            return 0;
        }
        if (written < offered) {
            problem_ = describeError(ERROR_TIMEOUT);
        }
        return written;
    }

    bool drain() override { return true; }

    [[nodiscard]] std::string problem() const override { return problem_; }

private:
    HANDLE handle_;
    std::string problem_;
};

class WindowsPorts final : public PortOpener {
public:
    PortOpening open(std::string_view deviceName) override {
        const std::string name = portName(deviceName);
        const HANDLE handle =
            CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            return {nullptr, name, describeError(GetLastError())};
        }
        limitWriteTime(handle);
        moveToEnd(handle);
        return {std::make_unique<WindowsPort>(handle), name, {}};
    }
};

class CommandInterpreter final : public Shell {
public:
    void run(std::string_view commandLine) override { std::system(std::string(commandLine).c_str()); }
};

}  // namespace

struct System::Parts {
    StandardInput input;
    StandardOutput output{stdout};
    StandardOutput errors{stderr};
    CommandInterpreter shell;
    WindowsPorts ports;
};

System::System() : parts_(std::make_unique<Parts>()) { SetConsoleCtrlHandler(noteInterrupt, TRUE); }

System::~System() { SetConsoleCtrlHandler(noteInterrupt, FALSE); }

ConsoleInput& System::input() { return parts_->input; }
ConsoleOutput& System::output() { return parts_->output; }
ConsoleOutput& System::errors() { return parts_->errors; }
Shell& System::shell() { return parts_->shell; }
PortOpener& System::ports() { return parts_->ports; }

}  // namespace label::platform
