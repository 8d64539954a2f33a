#include "posix_io.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>

#include "time_left.h"

namespace label::platform {

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

bool waitWritable(int fd, Clock::time_point deadline) {
    for (;;) {
        const auto left = timeLeft(deadline);
        pollfd watch{fd, POLLOUT, 0};
        const int ready = ::poll(&watch, 1, static_cast<int>(left.count()));
        if (ready > 0) {
            return (watch.revents & POLLOUT) != 0;
        }
        if (ready == 0 || errno != EINTR || left.count() == 0) {
            return false;
        }
    }
}

}  // namespace label::platform
