#include "system_ports.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "bounded_port.h"
#include "console.h"
#include "shell_commands.h"
#include "socket_port.h"
#include "windows_console.h"
#include "windows_errors.h"
#include "windows_port_names.h"
#include "windows_printer_queue.h"

namespace label::platform {
namespace {

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

std::string openProblem(DWORD error, std::string_view name, PortKind kind) {
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

// How the system says a device went away: not connected, or, from a USB
// serial adapter's driver pulled out from under its COM port, a general
// failure.
bool deviceGone(DWORD error, bool comPort) {
    return error == ERROR_DEVICE_NOT_CONNECTED || (comPort && error == ERROR_GEN_FAILURE);
}

class OverlappedPort final : public RawPort {
public:
    OverlappedPort(HANDLE handle, HANDLE done, bool comPort) : handle_(handle), done_(done), comPort_(comPort) {}
    ~OverlappedPort() override {
        CloseHandle(done_);
        CloseHandle(handle_);
    }
    OverlappedPort(const OverlappedPort&) = delete;
    OverlappedPort& operator=(const OverlappedPort&) = delete;

    RawOutcome write(std::string_view bytes, std::chrono::milliseconds patience) override {
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
                return failedAtOnce(request, error, offered);
            }
            if (WaitForSingleObject(done_, static_cast<DWORD>(patience.count())) != WAIT_OBJECT_0) {
                CancelIoEx(handle_, &request);
            }
        }
        return finished(request, offered);
    }

    // Every write has been waited on until the system reported it complete,
    // or cancelled and its count taken as reported: nothing the port accepted
    // is still queued on this side. Flushing the port's own buffers would
    // wait without end on a line held up by flow control; what the port's
    // hardware still holds is a few bytes that it sends on its own.
    RawOutcome drain(std::chrono::milliseconds /*patience*/) override { return {}; }

    [[nodiscard]] std::string describe(std::uint32_t error) const override { return describeError(error); }

private:
    // What a finished (or cancelled) write took, from the system's report.
    // Waits for a cancel to land: the request and its bytes must outlive it.
    RawOutcome finished(OVERLAPPED& request, DWORD offered) {
        DWORD taken = 0;
        const bool done = GetOverlappedResult(handle_, &request, &taken, TRUE) != FALSE;
        return outcome(taken, offered, done ? ERROR_SUCCESS : GetLastError());
    }

    // A write refused at once may still have been reported with a count (a
    // parallel port out of paper takes part of it): the system wrote the
    // report only if the request no longer shows as pending.
    RawOutcome failedAtOnce(OVERLAPPED& request, DWORD error, DWORD offered) {
        if (request.Internal == STATUS_PENDING) {
            return outcome(0, offered, error);
        }
        return finished(request, offered);
    }

    // A time-out is the port running out of patience, not a failure.
    [[nodiscard]] RawOutcome outcome(DWORD taken, DWORD offered, DWORD error) const {
        const bool failed = error != ERROR_SUCCESS && !isTimeout(error);
        return {taken, taken == offered && error == ERROR_SUCCESS,
                failed ? std::optional<std::uint32_t>(error) : std::nullopt, failed && deviceGone(error, comPort_)};
    }

    HANDLE handle_;
    HANDLE done_;
    bool comPort_;
};

// 9600 baud, no parity, 8 data bits, 1 stop bit, no flow control: what
// "mode COMn:96,N,8,1" sets. What went wrong, or "".
std::string setLine(HANDLE port) {
    DCB line{};
    line.DCBlength = sizeof line;
    if (GetCommState(port, &line) == FALSE) {
        return describeError(GetLastError());
    }
    line.BaudRate = CBR_9600;
    line.ByteSize = DATABITS_8;
    line.Parity = NOPARITY;
    line.StopBits = ONESTOPBIT;
    line.fOutxCtsFlow = FALSE;
    line.fOutxDsrFlow = FALSE;
    line.fOutX = FALSE;
    line.fInX = FALSE;
    if (SetCommState(port, &line) == FALSE) {
        return describeError(GetLastError());
    }
    DCB taken{};
    taken.DCBlength = sizeof taken;
    if (GetCommState(port, &taken) == FALSE || taken.BaudRate != CBR_9600 || taken.ByteSize != DATABITS_8 ||
        taken.Parity != NOPARITY || taken.StopBits != ONESTOPBIT || taken.fOutX != FALSE || taken.fInX != FALSE) {
        return "the line settings did not take";
    }
    return {};
}

PortOpening openPort(const Device& device, PortKind kind) {
    const HANDLE handle =
        CreateFileA(device.path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return {nullptr, device.name, openProblem(GetLastError(), device.name, kind)};
    }
    const HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (done == nullptr) {
        const DWORD error = GetLastError();
        CloseHandle(handle);
        return {nullptr, device.name, describeError(error)};
    }
    limitWriteTime(handle);
    return {std::make_unique<OverlappedPort>(handle, done, modeName(device).has_value()), device.name, {}};
}

}  // namespace

Device SystemPorts::defaultDevice(PortKind kind) { return platform::defaultDevice(kind); }

Reading<Device> SystemPorts::readDevice(PortKind /*kind*/, std::string_view value) { return readDeviceName(value); }

// The spooler alone knows which names it has.
Reading<std::string> SystemPorts::readQueue(PortKind /*kind*/, std::string_view name) { return std::string(name); }

PortOpening SystemPorts::openDevice(PortKind kind, const Device& device) { return openPort(device, kind); }

PortOpening SystemPorts::openNetwork(const NetworkAddress& address) { return openSocketPort(address); }

PortOpening SystemPorts::openQueue(PortKind kind, const std::string& queue) {
    return openPrinterQueue(queue, std::string(printerScheme) + queue, portKind(kind).program);
}

std::string SystemPorts::prepareLine(const Device& device) {
    if (!device.chosen) {
        runInInterpreter(std::string(shell_commands::prepareSerialPort));
        return {};
    }
    const auto name = modeName(device);
    if (!name) {
        return "the mode command prepares only a port named COMn";
    }
    runInInterpreter(shell_commands::prepareSerialPortNamed(*name));
    return {};
}

std::string SystemPorts::resetLine(const Device& device) {
    if (!modeName(device)) {
        return "the mode command prepares only a port named COMn";
    }
    const HANDLE port =
        CreateFileA(device.path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (port == INVALID_HANDLE_VALUE) {
        return describeError(GetLastError());
    }
    std::string problem = setLine(port);
    CloseHandle(port);
    return problem;
}

}  // namespace label::platform
