#include "posix_raw_port.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <utility>

#include "posix_deadline.h"
#include "posix_io.h"
#include "posix_port_problems.h"
#include "posix_printer_status.h"
#include "posix_terminal.h"

namespace label::platform {
namespace {

using std::chrono::milliseconds;

constexpr milliseconds firstPause{10};
constexpr milliseconds longestPause{100};

// A signal ends the sleep early; the caller looks at the clock again.
void sleepFor(Clock::duration span) {
    const auto count = std::chrono::ceil<milliseconds>(span).count();
    if (count > 0) {
        ::poll(nullptr, 0, static_cast<int>(count));
    }
}

// Waits until a terminal has sent all it holds, or the deadline passes. A
// line that can no longer be asked (hung up) has nothing left to wait for.
bool outputDrained(int fd, Clock::time_point deadline) {
    constexpr milliseconds pollEvery{20};
    int queued = 0;
    while (::ioctl(fd, TIOCOUTQ, &queued) == 0 && queued > 0) {
        if (Clock::now() >= deadline) {
            return false;
        }
        sleepFor(pollEvery);
    }
    return true;
}

// Only a device's driver can be asked how its printer is.
PrinterDriver driverOf(int fd, Node node) {
    struct stat status {};
    return node == Node::device && ::fstat(fd, &status) == 0 ? printerDriver(status.st_rdev) : PrinterDriver::none;
}

class PosixRawPort final : public RawPort {
public:
    PosixRawPort(int fd, std::string path, PortKind kind, Node node, const termios& before)
        : fd_(fd), path_(std::move(path)), kind_(kind), node_(node), before_(before), driver_(driverOf(fd, node)) {}
    ~PosixRawPort() override {
        if (node_ == Node::terminal) {
            letGoOfTerminal();
        }
        std::optional<DeadlineAlarm> alarm;
        if (node_ != Node::file) {
            alarm.emplace(letGoBy_);
        }
        ::close(fd_);
    }
    PosixRawPort(const PosixRawPort&) = delete;
    PosixRawPort& operator=(const PosixRawPort&) = delete;

    RawOutcome write(std::string_view bytes, milliseconds patience) override {
        const auto deadline = Clock::now() + patience;
        std::optional<DeadlineAlarm> alarm;
        if (node_ != Node::file) {
            alarm.emplace(deadline);
        }
        std::size_t taken = 0;
        Clock::duration pause{};
        int error = 0;
        while (taken < bytes.size()) {
            const ssize_t written = ::write(fd_, bytes.data() + taken, bytes.size() - taken);
            if (written > 0) {
                taken += static_cast<std::size_t>(written);
                pause = {};
                continue;
            }
            error = written < 0 ? errno : EAGAIN;
            if (!mayTryAgain(error, deadline, pause)) {
                break;
            }
        }
        fellShort_ = taken < bytes.size();
        const bool outOfTime = error == EAGAIN || error == EINTR;
        return {taken, !fellShort_,
                fellShort_ && !outOfTime ? std::optional(static_cast<std::uint32_t>(error)) : std::nullopt,
                fellShort_ && hungUp(error)};
    }

    RawOutcome drain(milliseconds patience) override {
        letGoBy_ = Clock::now() + patience;
        bool drained = true;
        if (node_ == Node::terminal) {
            drained = outputDrained(fd_, letGoBy_);
        } else if (node_ == Node::device) {
            drained = waitWritable(fd_, letGoBy_);
        }
        fellShort_ = fellShort_ || !drained;
        return {0, drained, std::nullopt};
    }

    [[nodiscard]] std::string describe(std::uint32_t error) const override {
        return describePortError(static_cast<int>(error), path_, kind_);
    }

    [[nodiscard]] std::optional<std::string> printerSays() override { return askPrinter(fd_, driver_); }

private:
    // A terminal whose device went away answers every write so.
    [[nodiscard]] bool hungUp(int error) const { return node_ == Node::terminal && (error == EIO || error == ENODEV); }

    // Only what a line that fell short still holds is dropped: a line that
    // took its bytes may still be sending those of earlier menu cycles.
    void letGoOfTerminal() {
        if (fellShort_) {
            ::tcflush(fd_, TCOFLUSH);
        }
        ::tcsetattr(fd_, TCSANOW, &before_);
        releaseTerminal(fd_);
    }

    // After a write that took nothing: true once it is worth writing again.
    // A device that says "writable" and still takes nothing (a busy parallel
    // printer, whose driver has no poll of its own) gets a growing pause
    // first, so that it is not asked hundreds of times in the timeout.
    [[nodiscard]] bool mayTryAgain(int error, Clock::time_point deadline, Clock::duration& pause) const {
        if ((error != EAGAIN && error != EINTR) || Clock::now() >= deadline) {
            return false;
        }
        if (error == EINTR) {
            return true;
        }
        sleepFor(std::min(pause, deadline - Clock::now()));
        pause = pause == Clock::duration::zero() ? Clock::duration(firstPause)
                                                 : std::min<Clock::duration>(pause * 2, longestPause);
        return waitWritable(fd_, deadline);
    }

    int fd_;
    std::string path_;
    PortKind kind_;
    Node node_;
    termios before_;
    PrinterDriver driver_;
    // The last write or drain fell short: the line may still hold bytes.
    bool fellShort_ = false;
    // When closing may no longer wait: the drain's deadline, or at once.
    Clock::time_point letGoBy_{};
};

}  // namespace

Node nodeOf(int fd, termios& settings) {
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISCHR(status.st_mode)) {
        return Node::file;
    }
    return ::tcgetattr(fd, &settings) == 0 ? Node::terminal : Node::device;
}

std::unique_ptr<RawPort> makeRawPort(int fd, std::string path, PortKind kind, Node node, const termios& before) {
    return std::make_unique<PosixRawPort>(fd, std::move(path), kind, node, before);
}

}  // namespace label::platform
