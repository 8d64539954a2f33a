#include "posix_port_device.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "port_problems.h"
#include "posix_io.h"

namespace label::platform {
namespace {

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
    PosixPort(int fd, std::string path, std::string_view deviceName)
        : fd_(fd), path_(std::move(path)), deviceName_(portKind(deviceName).deviceName) {}
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
        if (stalled_) {
            problem_ = describePortError(errno, path_, deviceName_);
        }
        return taken;
    }

    bool drain() override { return true; }

    [[nodiscard]] std::string problem() const override { return problem_; }

private:
    int fd_;
    std::string path_;
    std::string_view deviceName_;
    std::string problem_;
    bool stalled_ = false;
};

}  // namespace

std::unique_ptr<PortDevice> makePortDevice(int fd, std::string path, std::string_view deviceName) {
    return std::make_unique<PosixPort>(fd, std::move(path), deviceName);
}

}  // namespace label::platform
