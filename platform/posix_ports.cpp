#include "system_ports.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#include "bounded_port.h"
#include "posix_deadline.h"
#include "posix_io.h"
#include "posix_port_problems.h"
#include "posix_printer_queue.h"
#include "posix_raw_port.h"
#include "posix_terminal.h"
#include "socket_port.h"

namespace label::platform {
namespace {

constexpr std::string_view serialPath = LABEL_COM1_PATH;
constexpr std::string_view parallelPath = LABEL_LPT1_PATH;

int openPortPath(std::string_view path) {
    return ::open(std::string(path).c_str(), O_WRONLY | O_APPEND | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
}

// 9600 baud both ways, 8 data bits, no parity, 1 stop bit, receiver on,
// modem lines ignored, no flow control, raw output. Returns what went wrong,
// or nothing. Flow control goes off as the operators' own command interpreter
// turns it off: a line left waiting for a handshake the printer never gives
// would take no bytes at all. Raw output is part of the preparation, which
// stays after the run (as the interpreter's mode command leaves a port set):
// whatever writes to the printer's line next, its bytes go out untranslated.
// A serial node with no hardware behind it (most PCs' /dev/ttyS1) opens, then
// fails every request with an input/output error: the operator is told that,
// not that it is no serial line.
std::string applySerialSettings(int fd) {
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0) {
        return errno == ENOTTY ? "not a serial line" : std::strerror(errno);
    }
    settings.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    settings.c_cflag |= CS8 | CREAD | CLOCAL;
    settings.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    settings.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    ::cfsetispeed(&settings, B9600);
    ::cfsetospeed(&settings, B9600);
    if (::tcsetattr(fd, TCSANOW, &settings) != 0) {
        return std::strerror(errno);
    }
    // tcsetattr succeeds when any one setting took: check them all.
    termios taken{};
    if (::tcgetattr(fd, &taken) != 0 || ::cfgetospeed(&taken) != B9600 || ::cfgetispeed(&taken) != B9600 ||
        (taken.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS | CLOCAL)) != (CS8 | CLOCAL) ||
        (taken.c_iflag & (IXON | IXOFF)) != 0 || (taken.c_oflag & OPOST) != 0) {
        return "the line settings did not take";
    }
    return {};
}

PortOpening refused(int error, std::string path, PortKind kind) {
    std::string problem = describePortError(error, path, kind);
    return {nullptr, std::move(path), std::move(problem)};
}

PortOpening openDevicePath(PortKind kind, std::string path) {
    const int fd = openPortPath(path);
    if (fd < 0) {
        return refused(errno, std::move(path), kind);
    }
    termios before{};
    const Node node = nodeOf(fd, before);
    if (node == Node::terminal) {
        if (const int error = holdTerminal(fd); error != 0) {
            ::close(fd);
            return refused(error, std::move(path), kind);
        }
        makeOutputRaw(fd, before);
    }
    return {makeRawPort(fd, path, kind, node, before), path, {}};
}

}  // namespace

Device SystemPorts::defaultDevice(PortKind kind) {
    const std::string path(byKind(kind, serialPath, parallelPath));
    return {path, path, false};
}

Reading<Device> SystemPorts::readDevice(PortKind /*kind*/, std::string_view value) {
    return Device{std::string(value), std::string(value), true};
}

Reading<std::string> SystemPorts::readQueue(PortKind /*kind*/, std::string_view name) { return readPrinterQueue(name); }

PortOpening SystemPorts::openDevice(PortKind kind, const Device& device) { return openDevicePath(kind, device.path); }

PortOpening SystemPorts::openNetwork(const NetworkAddress& address) { return openSocketPort(address); }

PortOpening SystemPorts::openQueue(PortKind kind, const std::string& queue) {
    return openPrinterQueue(queue, std::string(printerScheme) + queue, portKind(kind).program);
}

std::string SystemPorts::prepareLine(const Device& device) {
    const int fd = openPortPath(device.path);
    if (fd < 0) {
        return std::strerror(errno);
    }
    // A line another program holds is left as it is.
    std::string problem = holdTerminal(fd) != 0 ? std::strerror(EBUSY) : applySerialSettings(fd);
    releaseTerminal(fd);
    const DeadlineAlarm alarm(Clock::now() + writePatience);
    ::close(fd);
    return problem;
}

// The settings stay with the line after the close, as answer 1's do.
std::string SystemPorts::resetLine(const Device& device) { return prepareLine(device); }

}  // namespace label::platform
