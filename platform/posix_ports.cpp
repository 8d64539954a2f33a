#include "posix_ports.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "posix_io.h"

namespace label::platform {
namespace {

std::string_view portPath(std::string_view deviceName) {
    if (deviceName == "com1:") {
        return LABEL_COM1_PATH;
    }
    if (deviceName == "lpt1:") {
        return LABEL_LPT1_PATH;
    }
    return {};
}

int openPortPath(std::string_view path) {
    return ::open(std::string(path).c_str(), O_WRONLY | O_APPEND | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
}

// Waits until a terminal has sent all it holds, or the deadline passes.
bool outputDrained(int fd, Clock::time_point deadline) {
    constexpr int pollMilliseconds = 20;
    int queued = 0;
    while (::ioctl(fd, TIOCOUTQ, &queued) == 0 && queued > 0) {
        if (Clock::now() >= deadline) {
            return false;
        }
        ::poll(nullptr, 0, pollMilliseconds);
    }
    return true;
}

class PosixPort final : public PortDevice {
public:
    explicit PosixPort(int fd) : fd_(fd) {}
    // Closing a terminal waits in the kernel until a stuck line has taken
    // its output: for half a minute by default, or without end. The line
    // gets the write timeout (none if it has stalled already), then what it
    // still holds is dropped.
    ~PosixPort() override {
        const auto patience = stalled_ ? Clock::duration::zero() : Clock::duration(portWriteTimeout);
        if (::isatty(fd_) != 0 && !outputDrained(fd_, Clock::now() + patience)) {
            ::tcflush(fd_, TCOFLUSH);
        }
        ::close(fd_);
    }
    PosixPort(const PosixPort&) = delete;
    PosixPort& operator=(const PosixPort&) = delete;

    // Once the port has run out the timeout, later writes take only what it
    // accepts at once, until one goes through whole: the operator waits out
    // a stalled port once, not at every line end that retries it.
    std::size_t write(std::string_view bytes) override {
        const auto patience = stalled_ ? Clock::duration::zero() : Clock::duration(portWriteTimeout);
        const auto deadline = Clock::now() + patience;
        std::size_t taken = 0;
        while (taken < bytes.size()) {
            const ssize_t written = ::write(fd_, bytes.data() + taken, bytes.size() - taken);
            if (written > 0) {
                taken += static_cast<std::size_t>(written);
            } else if (written < 0 && errno == EINTR) {
                continue;
            } else if (written == 0 || errno != EAGAIN || !waitWritable(fd_, deadline)) {
                break;
            }
        }
        stalled_ = taken < bytes.size();
        return taken;
    }

private:
    int fd_;
    bool stalled_ = false;
};

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
// would take no bytes at all.
std::string applySerialSettings(int fd) {
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0) {
        return std::strerror(errno);
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
    if (::tcgetattr(fd, &applied) != 0 || ::cfgetospeed(&applied) != B9600 ||
        ::cfgetispeed(&applied) != B9600 ||
        (applied.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS | CLOCAL)) != (CS8 | CLOCAL)) {
        return "the line settings did not take";
    }
    return {};
}

}  // namespace

std::unique_ptr<PortDevice> PosixPorts::open(std::string_view deviceName) {
    const std::string_view path = portPath(deviceName);
    const int fd = path.empty() ? -1 : openPortPath(path);
    if (fd < 0) {
        return nullptr;
    }
    if (::isatty(fd) != 0) {
        makeOutputRaw(fd);
    }
    return std::make_unique<PosixPort>(fd);
}

void prepareSerialPort() {
    constexpr std::string_view path = LABEL_COM1_PATH;
    const int fd = openPortPath(path);
    std::string problem;
    if (fd < 0) {
        problem = std::strerror(errno);
    } else {
        problem = ::isatty(fd) != 0 ? applySerialSettings(fd) : "not a serial line";
        ::close(fd);
    }
    if (!problem.empty()) {
        writeAll(STDERR_FILENO, describeError(path, problem));
    }
}

}  // namespace label::platform
