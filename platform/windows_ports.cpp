#include "windows_ports.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <vector>

#include "bounded_port.h"
#include "shell_commands.h"

namespace label::platform {
namespace {

// The system's own words for an error code, without its line end.
std::string describeError(DWORD error) {
    constexpr std::size_t longestWords = 512;
    std::array<char, longestWords> text{};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                        text.data(), static_cast<DWORD>(text.size()), nullptr);
    std::string words(text.data(), length);
    while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == '.')) {
        words.pop_back();
    }
    return words.empty() ? "error " + std::to_string(error) : words;
}

// Every name the system knows a device by ("COM1", "LPT1", "C:", ...).
std::vector<std::string> dosDeviceNames() {
    constexpr DWORD firstSize = 4096;
    constexpr DWORD largestSize = 1U << 20U;
    for (DWORD size = firstSize; size <= largestSize; size *= 2) {
        std::vector<char> list(size);
        const DWORD length = QueryDosDeviceA(nullptr, list.data(), size);
        if (length == 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
            continue;
        }
        std::vector<std::string> names;
        for (std::size_t start = 0; start < length && list[start] != '\0';) {
            names.emplace_back(list.data() + start);
            start += names.back().size() + 1;
        }
        return names;
    }
    return {};
}

std::string openProblem(DWORD error, std::string_view name, const WindowsPortKind& kind) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return missingPortWords(name, kind, dosDeviceNames());
    case ERROR_ACCESS_DENIED:      // a port in use
    case ERROR_SHARING_VIOLATION:  // a file standing in for one, in use
        return describeError(error) + ": another program (for instance the print spooler) holds the port";
    default:
        return describeError(error);
    }
}

bool isTimeout(DWORD error) {
    switch (error) {
    case ERROR_OPERATION_ABORTED:  // cancelled here, for taking too long
    case ERROR_TIMEOUT:
    case ERROR_SEM_TIMEOUT:
    case ERROR_COUNTER_TIMEOUT:
    case WAIT_TIMEOUT:
        return true;
    default:
        return false;
    }
}

// The serial and the parallel driver both take this as their own write
// time-out (the parallel one refuses anything under 2 seconds); a file
// refuses it. The writes' bound is their own wait, whatever this did: the
// setting only keeps a driver from giving up sooner than that wait.
void limitWriteTime(HANDLE port) {
    COMMTIMEOUTS timeouts{};
    timeouts.WriteTotalTimeoutConstant = static_cast<DWORD>(writePatience.count());
    SetCommTimeouts(port, &timeouts);
}

class OverlappedPort final : public RawPort {
public:
    OverlappedPort(HANDLE handle, HANDLE done) : handle_(handle), done_(done) {}
    ~OverlappedPort() override {
        CloseHandle(done_);
        CloseHandle(handle_);
    }
    OverlappedPort(const OverlappedPort&) = delete;
    OverlappedPort& operator=(const OverlappedPort&) = delete;

    WriteOutcome write(std::string_view bytes, std::chrono::milliseconds patience) override {
        OVERLAPPED request{};
        // Both offsets at their highest: a file standing in for the port is
        // written at its end. A port has no position and ignores them.
        request.Offset = MAXDWORD;
        request.OffsetHigh = MAXDWORD;
        request.hEvent = done_;
        const auto offered = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), MAXDWORD));
        if (WriteFile(handle_, bytes.data(), offered, nullptr, &request) == FALSE) {
            const DWORD error = GetLastError();
            if (error != ERROR_IO_PENDING) {
                return failedAtOnce(request, error);
            }
            if (WaitForSingleObject(done_, static_cast<DWORD>(patience.count())) != WAIT_OBJECT_0) {
                CancelIoEx(handle_, &request);
            }
        }
        return finished(request);
    }

    [[nodiscard]] std::string describe(std::uint32_t error) const override { return describeError(error); }

private:
    // What a finished (or cancelled) write took, from the system's report.
    // Waits for a cancel to land: the request and its bytes must outlive it.
    WriteOutcome finished(OVERLAPPED& request) {
        DWORD taken = 0;
        if (GetOverlappedResult(handle_, &request, &taken, TRUE) != FALSE) {
            return {taken, std::nullopt};
        }
        const DWORD error = GetLastError();
        return {taken, isTimeout(error) ? std::nullopt : std::optional<std::uint32_t>(error)};
    }

    // A write refused at once may still have been reported with a count (a
    // parallel port out of paper takes part of it): the system wrote the
    // report only if the request no longer shows as pending.
    WriteOutcome failedAtOnce(OVERLAPPED& request, DWORD error) {
        if (request.Internal == STATUS_PENDING) {
            return {0, isTimeout(error) ? std::nullopt : std::optional<std::uint32_t>(error)};
        }
        return finished(request);
    }

    HANDLE handle_;
    HANDLE done_;
};

PortOpening openPort(const PortChoice& choice, const WindowsPortKind& kind) {
    const HANDLE handle =
        CreateFileA(choice.path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return {nullptr, choice.name, openProblem(GetLastError(), choice.name, kind)};
    }
    const HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (done == nullptr) {
        const DWORD error = GetLastError();
        CloseHandle(handle);
        return {nullptr, choice.name, describeError(error)};
    }
    limitWriteTime(handle);
    return {std::make_unique<BoundedPort>(std::make_unique<OverlappedPort>(handle, done)), choice.name, {}};
}

PortChoice chooseFromEnvironment(std::string_view deviceName) {
    const WindowsPortKind& kind = windowsPortKind(deviceName);
    return choosePort(kind, std::getenv(std::string(kind.variable).c_str()));
}

}  // namespace

WindowsPorts::WindowsPorts(ConsoleOutput& errors)
    : errors_(errors), parallel_{chooseFromEnvironment("lpt1:")}, serial_{chooseFromEnvironment("com1:")} {}

PortOpening WindowsPorts::open(std::string_view deviceName) {
    const PortChoice& choice = use(deviceName);
    const WindowsPortKind& kind = windowsPortKind(deviceName);
    if (choice.path.empty()) {
        return {nullptr, choice.name, std::string(kind.variable) + " is not a port name"};
    }
    return openPort(choice, kind);
}

std::optional<std::string> WindowsPorts::serialPreparation() {
    const std::string_view commandLine = shell_commands::prepareSerialPort;
    const PortChoice& choice = use("com1:");
    if (!choice.fromVariable) {
        return std::string(commandLine);
    }
    if (choice.modeName.empty()) {
        say("com1:", "mode cannot prepare " + choice.name + "; only a port named COMn can be");
        return std::nullopt;
    }
    return "mode " + choice.modeName + std::string(commandLine.substr(commandLine.find(':')));
}

// The port chosen for `deviceName`; a refused choice is said the first time.
const PortChoice& WindowsPorts::use(std::string_view deviceName) {
    ChosenPort& chosen = deviceName == windowsPortKind("com1:").deviceName ? serial_ : parallel_;
    if (!chosen.choice.refusal.empty() && !chosen.refusalSaid) {
        chosen.refusalSaid = true;
        say(deviceName, chosen.choice.refusal);
    }
    return chosen.choice;
}

void WindowsPorts::say(std::string_view deviceName, std::string_view words) {
    errors_.write(std::string(windowsPortKind(deviceName).program) + ": " + std::string(words) + "\n");
}

}  // namespace label::platform
