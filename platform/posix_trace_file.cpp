#include <fcntl.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "trace_file.h"

namespace label::platform {
namespace {

class PosixTraceFile final : public TraceFile {
public:
    explicit PosixTraceFile(int fd) : fd_(fd) {}
    ~PosixTraceFile() override { ::close(fd_); }
    PosixTraceFile(const PosixTraceFile&) = delete;
    PosixTraceFile& operator=(const PosixTraceFile&) = delete;

    std::string append(std::string_view line) override {
        while (!line.empty()) {
            const ssize_t written = ::write(fd_, line.data(), line.size());
            if (written < 0 && errno != EINTR) {
                return std::strerror(errno);
            }
            line.remove_prefix(written < 0 ? 0 : static_cast<std::size_t>(written));
        }
        return {};
    }

private:
    int fd_;
};

// A folder is left to the opening, which says what it is.
bool isDeviceOrFifo(const struct stat& status) { return !S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode); }

}  // namespace

TraceFileOpening openTraceFile(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0 && isDeviceOrFifo(status)) {
        return {nullptr, std::string(notATraceFile)};
    }
    constexpr mode_t ownerOnly = 0600;
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOCTTY | O_NONBLOCK | O_CLOEXEC, ownerOnly);
    if (fd < 0) {
        return {nullptr, std::strerror(errno)};
    }
    // It may have been replaced between the look and the opening.
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return {nullptr, std::string(notATraceFile)};
    }
    return {std::make_unique<PosixTraceFile>(fd), {}};
}

std::string systemName() {
    struct utsname name {};
    if (::uname(&name) != 0) {
        return "an unknown POSIX system";
    }
    return std::string(name.sysname) + " " + name.release + " " + name.machine;
}

}  // namespace label::platform
