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

class StandardOutput final : public ConsoleOutput {
public:
    // Flushed at once: a command line run next must find this text already
    // on the console.
    void write(std::string_view bytes) override {
        std::fwrite(bytes.data(), 1, bytes.size(), stdout);
        std::fflush(stdout);
    }
};

const char* portName(std::string_view deviceName) {
    if (deviceName == "com1:") {
        return "\\\\.\\COM1";
    }
    if (deviceName == "lpt1:") {
        return "\\\\.\\LPT1";
    }
    return nullptr;
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
            return 0;
        }
        return written;
    }

private:
    HANDLE handle_;
};

class WindowsPorts final : public PortOpener {
public:
    std::unique_ptr<PortDevice> open(std::string_view deviceName) override {
        const char* name = portName(deviceName);
        if (name == nullptr) {
            return nullptr;
        }
        const HANDLE handle =
            CreateFileA(name, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            return nullptr;
        }
        limitWriteTime(handle);
        moveToEnd(handle);
        return std::make_unique<WindowsPort>(handle);
    }
};

class CommandInterpreter final : public Shell {
public:
    void run(std::string_view commandLine) override { std::system(std::string(commandLine).c_str()); }
};

}  // namespace

struct System::Parts {
    StandardInput input;
    StandardOutput output;
    CommandInterpreter shell;
    WindowsPorts ports;
};

System::System() : parts_(std::make_unique<Parts>()) { SetConsoleCtrlHandler(noteInterrupt, TRUE); }

System::~System() { SetConsoleCtrlHandler(noteInterrupt, FALSE); }

ConsoleInput& System::input() { return parts_->input; }
ConsoleOutput& System::output() { return parts_->output; }
Shell& System::shell() { return parts_->shell; }
PortOpener& System::ports() { return parts_->ports; }

}  // namespace label::platform
