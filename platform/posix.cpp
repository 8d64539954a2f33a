// POSIX side of the platform layer.
//
// Ports are the paths compiled in as LABEL_COM1_PATH and LABEL_LPT1_PATH. They
// are opened without waiting (no carrier, no FIFO reader: the open fails),
// never created and never truncated, and written at their end. A terminal
// port gets raw output so that it receives exactly the bytes sent. A write
// that the port does not take within five seconds is given up, and so is at
// once every later write to that port until one goes through whole; so is,
// at the close, what a serial line has not sent within that bound.
//
// "cls", "pause" and "mode com1:96,N,8,1" are done here without starting a
// process; anything else goes to the system shell.
//
// Ctrl-C, SIGTERM and a hang-up end keyboard input instead of killing the
// process, so the run ends the ordinary way and a command still pending
// reaches the port. A signal also writes to a pipe that every keyboard wait
// watches, so one that lands just before a wait is not missed.

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>

#include "system.h"

namespace label::platform {
namespace {

using std::string_view_literals::operator""sv;

constexpr auto portPatience = std::chrono::seconds(5);

volatile std::sig_atomic_t interrupted = 0;
// Both ends non-blocking; the read end turns readable at the first signal
// and stays so, since nothing ever reads it.
std::array<int, 2> interruptPipe{-1, -1};

extern "C" void noteInterrupt(int /*signal*/) {
    const int savedErrno = errno;
    interrupted = 1;
    const char mark = 0;
    // A full pipe already says the same.
    [[maybe_unused]] const ssize_t ignored = ::write(interruptPipe[1], &mark, 1);
    errno = savedErrno;
}

void catchSignal(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
}

bool makeInterruptPipe() {
    if (::pipe(interruptPipe.data()) != 0) {
        return false;
    }
    for (const int fd : interruptPipe) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, O_NONBLOCK);
    }
    return true;
}

// A closed standard descriptor would be handed to the port at open, and the
// dialogue would then go to the printer.
void keepStandardDescriptorsOpen() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) == -1) {
            const int spare = ::open("/dev/null", O_RDWR | O_CLOEXEC);
            if (spare != fd && spare != -1) {
                ::close(spare);
            }
        }
    }
}

// Writes everything or gives up at the first error other than an interrupt.
void writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

// Waits until `fd` has something to read (or has ended); false if a signal
// came first or comes meanwhile.
bool waitForKeys(int fd) {
    std::array<pollfd, 2> watch{{{interruptPipe[0], POLLIN, 0}, {fd, POLLIN, 0}}};
    for (;;) {
        const int ready = ::poll(watch.data(), watch.size(), -1);
        if (ready > 0) {
            return watch[0].revents == 0;
        }
        if (errno != EINTR) {
            return interrupted == 0;
        }
    }
}

class StandardInput final : public ConsoleInput {
public:
    int readByte() override {
        if (interrupted != 0) {
            return endOfInput;
        }
        while (next_ == end_) {
            if (!waitForKeys(STDIN_FILENO)) {
                return endOfInput;
            }
            const ssize_t count = ::read(STDIN_FILENO, buffer_.data(), buffer_.size());
            if (count < 0 && errno == EINTR) {
                continue;
            }
            if (count <= 0) {
                return endOfInput;
            }
            next_ = 0;
            end_ = static_cast<std::size_t>(count);
        }
        return static_cast<unsigned char>(buffer_.at(next_++));
    }

private:
    static constexpr std::size_t chunkSize = 4096;
    std::array<char, chunkSize> buffer_{};
    std::size_t next_ = 0;
    std::size_t end_ = 0;
};

class StandardOutput final : public ConsoleOutput {
public:
    void write(std::string_view bytes) override { writeAll(STDOUT_FILENO, bytes); }
};

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

// Waits until `fd` takes bytes or the deadline passes.
bool waitWritable(int fd, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd watch{fd, POLLOUT, 0};
        const int ready = ::poll(&watch, 1, static_cast<int>(left.count()));
        if (ready > 0) {
            return (watch.revents & POLLOUT) != 0;
        }
        if (ready == 0 || errno != EINTR) {
            return false;
        }
    }
}

// Waits until a terminal has sent all it holds, or the deadline passes.
bool outputDrained(int fd, std::chrono::steady_clock::time_point deadline) {
    constexpr int pollMilliseconds = 20;
    int queued = 0;
    while (::ioctl(fd, TIOCOUTQ, &queued) == 0 && queued > 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
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
    // gets the patience of a write (none if it has stalled already), then
    // what it still holds is dropped.
    ~PosixPort() override {
        const auto patience = stalled_ ? std::chrono::seconds(0) : portPatience;
        if (::isatty(fd_) != 0 && !outputDrained(fd_, std::chrono::steady_clock::now() + patience)) {
            ::tcflush(fd_, TCOFLUSH);
        }
        ::close(fd_);
    }
    PosixPort(const PosixPort&) = delete;
    PosixPort& operator=(const PosixPort&) = delete;

    // Once the port has run out the patience, later writes take only what
    // it accepts at once, until one goes through whole: the operator waits
    // out a stalled port once, not at every line end that retries it.
    std::size_t write(std::string_view bytes) override {
        const auto deadline = std::chrono::steady_clock::now() + (stalled_ ? std::chrono::seconds(0) : portPatience);
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

class PosixPorts final : public PortOpener {
public:
    std::unique_ptr<PortDevice> open(std::string_view deviceName) override {
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
};

// Puts a terminal's settings back however the scope is left.
class TerminalModeGuard {
public:
    TerminalModeGuard(int fd, const termios& saved) : fd_(fd), saved_(saved) {}
    ~TerminalModeGuard() { ::tcsetattr(fd_, TCSANOW, &saved_); }
    TerminalModeGuard(const TerminalModeGuard&) = delete;
    TerminalModeGuard& operator=(const TerminalModeGuard&) = delete;

private:
    int fd_;
    termios saved_;
};

void waitForOneKey() {
    termios saved{};
    if (::tcgetattr(STDIN_FILENO, &saved) != 0) {
        return;
    }
    termios oneKey = saved;
    oneKey.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    oneKey.c_cc[VMIN] = 1;
    oneKey.c_cc[VTIME] = 0;
    const TerminalModeGuard guard(STDIN_FILENO, saved);
    if (::tcsetattr(STDIN_FILENO, TCSANOW, &oneKey) != 0) {
        return;
    }
    char key = 0;
    while (waitForKeys(STDIN_FILENO) && ::read(STDIN_FILENO, &key, 1) < 0 && errno == EINTR) {
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

class PosixShell final : public Shell {
public:
    void run(std::string_view commandLine) override {
        if (commandLine == "cls"sv) {
            clear();
        } else if (commandLine == "pause"sv) {
            pause();
        } else if (commandLine == "mode com1:96,N,8,1"sv) {
            prepareSerialPort();
        } else {
            // Other command lines are the shell's by contract.
            std::system(std::string(commandLine).c_str());  // NOLINT(cert-env33-c)
        }
    }

private:
    static void clear() {
        writeAll(STDOUT_FILENO, ::isatty(STDOUT_FILENO) != 0 ? "\x1b[H\x1b[2J\x1b[3J"sv : "\f"sv);
    }

    static void pause() {
        writeAll(STDOUT_FILENO, "Press any key to continue . . . ");
        if (::isatty(STDIN_FILENO) != 0) {
            waitForOneKey();
        }
        writeAll(STDOUT_FILENO, "\n");
    }
};

}  // namespace

struct System::Parts {
    StandardInput input;
    StandardOutput output;
    PosixShell shell;
    PosixPorts ports;
};

System::System() : parts_(std::make_unique<Parts>()) {
    keepStandardDescriptorsOpen();
    // A console that went away must not kill a run that still has bytes for the printer.
    catchSignal(SIGPIPE, SIG_IGN);
    // Without the pipe a signal could slip past a keyboard wait: then let it end the process.
    if (makeInterruptPipe()) {
        for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
            catchSignal(signal, noteInterrupt);
        }
    }
}

System::~System() = default;

ConsoleInput& System::input() { return parts_->input; }
ConsoleOutput& System::output() { return parts_->output; }
Shell& System::shell() { return parts_->shell; }
PortOpener& System::ports() { return parts_->ports; }

}  // namespace label::platform
