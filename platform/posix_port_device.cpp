#include "posix_port_device.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "port_problems.h"
#include "posix_deadline.h"
#include "posix_io.h"

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

// A character device other than a terminal: its driver may still be sending
// what a write accepted, and closing may kill that in flight.
bool isDevice(int fd) {
    struct stat status {};
    return ::fstat(fd, &status) == 0 && S_ISCHR(status.st_mode);
}

class PosixPort final : public PortDevice {
public:
    PosixPort(int fd, std::string path, std::string_view deviceName)
        : fd_(fd),
          path_(std::move(path)),
          deviceName_(portKind(deviceName).deviceName),
          terminal_(::isatty(fd) != 0),
          device_(!terminal_ && isDevice(fd)) {}
    ~PosixPort() override {
        // Only what a stalled line still holds is dropped: a line that took
        // its bytes may still be sending those of earlier menu cycles.
        if (terminal_ && stalled_) {
            ::tcflush(fd_, TCOFLUSH);
        }
        const DeadlineAlarm alarm(letGoBy_);
        ::close(fd_);
    }
    PosixPort(const PosixPort&) = delete;
    PosixPort& operator=(const PosixPort&) = delete;

    std::size_t write(std::string_view bytes) override {
        if (ended_) {
            return 0;
        }
        const auto deadline = Clock::now() + patience();
        const DeadlineAlarm alarm(deadline);
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
        stalled_ = taken < bytes.size();
        if (stalled_) {
            ended_ = error != EAGAIN && error != EINTR;
            problem_ = describePortError(error, path_, deviceName_);
        }
        return taken;
    }

    bool drain() override {
        letGoBy_ = Clock::now() + patience();
        const bool drained = terminal_ ? outputDrained(fd_, letGoBy_) : !device_ || waitWritable(fd_, letGoBy_);
        if (!drained && !ended_) {
            stalled_ = true;
            problem_ = describePortError(ETIMEDOUT, path_, deviceName_);
        }
        return drained;
    }

    [[nodiscard]] std::string problem() const override { return problem_; }

private:
    [[nodiscard]] Clock::duration patience() const {
        return stalled_ || ended_ ? Clock::duration::zero() : Clock::duration(portWriteTimeout);
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
    std::string_view deviceName_;
    bool terminal_;
    bool device_;
    std::string problem_;
    bool stalled_ = false;
    bool ended_ = false;
    // When closing may no longer wait: the drain's deadline, or at once.
    Clock::time_point letGoBy_{};
};

}  // namespace

std::unique_ptr<PortDevice> makePortDevice(int fd, std::string path, std::string_view deviceName) {
    return std::make_unique<PosixPort>(fd, std::move(path), deviceName);
}

}  // namespace label::platform
