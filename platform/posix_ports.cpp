#include "posix_ports.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "port_problems.h"
#include "posix_deadline.h"
#include "posix_io.h"
#include "posix_port_device.h"

namespace label::platform {
namespace {

// The operator may lead a port elsewhere for one run (a USB printer, a USB
// serial adapter); unset or empty, the compiled-in path holds.
std::string portPath(std::string_view deviceName) {
    const PortKind& kind = portKind(deviceName);
    const char* chosen = std::getenv(std::string(kind.variable).c_str());  // NOLINT(concurrency-mt-unsafe)
    return chosen != nullptr && *chosen != '\0' ? chosen : std::string(kind.compiledPath);
}

int openPortPath(std::string_view path) {
    return ::open(std::string(path).c_str(), O_WRONLY | O_APPEND | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
}

void makeOutputRaw(int fd) {
    termios settings{};
    if (::tcgetattr(fd, &settings) == 0) {
        settings.c_oflag &= ~static_cast<tcflag_t>(OPOST);
        ::tcsetattr(fd, TCSANOW, &settings);
    }
}

std::string describeError(std::string_view path, std::string_view reason) {
    return "mode com1: " + std::string(path) + ": " + std::string(reason) + "\n";
}

// 9600 baud both ways, 8 data bits, no parity, 1 stop bit, receiver on,
// modem lines ignored, no flow control, raw output. Returns what went wrong,
// or nothing. Flow control goes off as the operators' own command interpreter
// turns it off: a line left waiting for a handshake the printer never gives
// would take no bytes at all. A serial node with no hardware behind it (most
// PCs' /dev/ttyS1) opens, then fails every request with an input/output
// error: the operator is told that, not that it is no serial line.
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
    termios applied{};
    if (::tcgetattr(fd, &applied) != 0 || ::cfgetospeed(&applied) != B9600 || ::cfgetispeed(&applied) != B9600 ||
        (applied.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS | CLOCAL)) != (CS8 | CLOCAL)) {
        return "the line settings did not take";
    }
    return {};
}

}  // namespace

PortOpening PosixPorts::open(std::string_view deviceName) {
    std::string path = portPath(deviceName);
    const int fd = openPortPath(path);
    if (fd < 0) {
        std::string problem = describePortError(errno, path, deviceName);
        return {nullptr, std::move(path), std::move(problem)};
    }
    if (::isatty(fd) != 0) {
        makeOutputRaw(fd);
    }
    return {makePortDevice(fd, path, deviceName), path, {}};
}

void prepareSerialPort() {
    const std::string path = portPath("com1:");
    const int fd = openPortPath(path);
    std::string problem;
    if (fd < 0) {
        problem = std::strerror(errno);
    } else {
        problem = applySerialSettings(fd);
        const DeadlineAlarm alarm(Clock::now() + portWriteTimeout);
        ::close(fd);
    }
    if (!problem.empty()) {
        writeAll(STDERR_FILENO, describeError(path, problem));
    }
}

}  // namespace label::platform
