#include "posix_io.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>

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
        const auto left = std::max(std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()),
                                   std::chrono::milliseconds::zero());
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
