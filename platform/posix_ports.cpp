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
#include "posix_raw_port.h"
#include "posix_terminal.h"
#include "socket_port.h"

namespace label::platform {
namespace {

constexpr std::string_view serialPath = LABEL_COM1_PATH;
constexpr std::string_view parallelPath = LABEL_LPT1_PATH;

// The operator may lead a port elsewhere for one run (a USB printer, a USB
// serial adapter, a printer on the network); unset or empty, the
// compiled-in path holds.
PortValue portValue(PortKind kind) {
    const char* chosen = std::getenv(std::string(portKind(kind).variable).c_str());  // NOLINT(concurrency-mt-unsafe)
    return readPortValue(kind, chosen != nullptr && *chosen != '\0' ? chosen : byKind(kind, serialPath, parallelPath));
}

// Printer queues are the spooler's, on Windows; here the operator names the
// device, as the first place of the kind shows it, or the printer's address.
std::string queueRefusal(PortKind kind, std::string_view value) {
    const PortKindFacts& facts = portKind(kind);
    const PortPlace& place = facts.places.front();
    return std::string(facts.variable) + "=" + printable(value) +
           ": printer queues are Windows' own; name the device (" + "/" + std::string(place.folder) + "/" +
           std::string(place.prefix) + "0) or the printer's address (" + std::string(networkScheme) + "HOST[:PORT])";
}

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

PortOpening openDevice(PortKind kind, std::string path) {
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

PortOpening PosixPorts::open(PortKind kind) {
    PortValue value = portValue(kind);
    switch (value.way) {
    case PortWay::device:
        return openDevice(kind, std::move(value.text));
    case PortWay::network:
        return openSocketPort(value.address);
    case PortWay::printerQueue:
    case PortWay::refused:
        sayRefusal(kind, value);
        return {nullptr, printable(value.text),
                std::string(portKind(kind).variable) + " names no port that can be used"};
    }
    return {};
}

void PosixPorts::prepareSerialPort() {
    const PortValue value = portValue(PortKind::serial);
    if (value.way == PortWay::network) {
        writeErrorLine(errors_, "mode com1: " + value.address.shown + ": " + std::string(noLineSettings));
        return;
    }
    if (value.way != PortWay::device) {
        sayRefusal(PortKind::serial, value);
        return;
    }
    const std::string& path = value.text;
    const int fd = openPortPath(path);
    std::string problem;
    if (fd < 0) {
        problem = std::strerror(errno);
    } else {
        // A line another program holds is left as it is.
        problem = holdTerminal(fd) != 0 ? std::strerror(EBUSY) : applySerialSettings(fd);
        releaseTerminal(fd);
        const DeadlineAlarm alarm(Clock::now() + writePatience);
        ::close(fd);
    }
    if (!problem.empty()) {
        writeErrorLine(errors_, "mode com1: " + path + ": " + problem);
    }
}

// Said once a run for each kind, however often the port is opened.
void PosixPorts::sayRefusal(PortKind kind, const PortValue& value) {
    bool& said = byKind(kind, serialRefusalSaid_, parallelRefusalSaid_);
    if (!std::exchange(said, true)) {
        const std::string words = value.way == PortWay::refused ? value.refusal : queueRefusal(kind, value.text);
        writeErrorLine(errors_, std::string(portKind(kind).program) + ": " + words);
    }
}

}  // namespace label::platform
