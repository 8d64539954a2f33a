#include "posix_console.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "posix_deadline.h"
#include "posix_io.h"
#include "shell_commands.h"

namespace label::platform {
namespace {

using std::string_view_literals::operator""sv;

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

// Whether the console is a terminal is asked once, at the first clear.
void clearScreen() {
    static const bool terminal = ::isatty(STDOUT_FILENO) != 0;
    writeAll(STDOUT_FILENO, terminal ? "\x1b[H\x1b[2J\x1b[3J"sv : "\f"sv);
}

void pause() {
    writeAll(STDOUT_FILENO, "Press any key to continue . . . ");
    if (::isatty(STDIN_FILENO) != 0) {
        waitForOneKey();
    }
    writeAll(STDOUT_FILENO, "\n");
}

}  // namespace

void prepareProcess() {
    keepStandardDescriptorsOpen();
    // A console that went away must not kill a run that still has bytes for the printer.
    catchSignal(SIGPIPE, SIG_IGN);
    // The ports' deadlines; a stray SIGALRM then only interrupts a wait, which goes on.
    prepareDeadlineAlarm();
    // Without the pipe a signal could slip past a keyboard wait: then let it end the process.
    if (makeInterruptPipe()) {
        for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
            catchSignal(signal, noteInterrupt);
        }
    }
}

int StandardInput::readByte() {
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

void StandardOutput::write(std::string_view bytes) { writeAll(fd_, bytes); }

void PosixShell::run(std::string_view commandLine) {
    if (commandLine == shell_commands::clearScreen) {
        clearScreen();
    } else if (commandLine == shell_commands::pause) {
        pause();
    } else if (commandLine == shell_commands::prepareSerialPort) {
        prepareSerialPort_();
    }
}

}  // namespace label::platform
