#include "posix_socket_port.h"

#include <linux/sockios.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <optional>
#include <utility>

#include "posix_name_lookup.h"

namespace label::platform {
namespace {

using std::chrono::milliseconds;

// What is read at a time of what the printer says, to be thrown away.
constexpr std::size_t answerChunk = 512;

std::optional<NetworkFault> faultOf(int error) {
    switch (error) {
    case ECONNREFUSED:
        return NetworkFault::refused;
    case ENETUNREACH:
    case EHOSTUNREACH:
    case ENETDOWN:
    case EHOSTDOWN:
        return NetworkFault::unreachable;
    case ECONNRESET:
    case ECONNABORTED:
    case EPIPE:
        return NetworkFault::reset;
    case ETIMEDOUT:
        return NetworkFault::timedOut;
    default:
        return std::nullopt;
    }
}

std::string describeSocketError(int error, const NetworkAddress& address) {
    const auto fault = faultOf(error);
    return fault ? networkFaultWords(*fault, address) : std::strerror(error);
}

int pendingError(int fd) {
    int error = 0;
    socklen_t size = sizeof error;
    return ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 ? error : errno;
}

// A connected descriptor, or -1 with the reason in `error`.
int connectTo(const addrinfo& address, Clock::time_point deadline, int& error) {
    const int fd = ::socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, address.ai_protocol);
    if (fd < 0) {
        error = errno;
        return -1;
    }
    if (::connect(fd, address.ai_addr, address.ai_addrlen) == 0) {
        return fd;
    }
    error = errno;
    if (error == EINPROGRESS) {
        error = waitWritable(fd, deadline) ? pendingError(fd) : ETIMEDOUT;
    }
    if (error == 0) {
        return fd;
    }
    ::close(fd);
    return -1;
}

class SocketPort final : public RawPort {
public:
    SocketPort(int fd, NetworkAddress address) : fd_(fd), address_(std::move(address)) {}
    ~SocketPort() override {
        ::shutdown(fd_, SHUT_WR);
        std::array<char, answerChunk> answer{};
        while (::recv(fd_, answer.data(), answer.size(), MSG_DONTWAIT) > 0) {
        }
        ::close(fd_);
    }
    SocketPort(const SocketPort&) = delete;
    SocketPort& operator=(const SocketPort&) = delete;

    RawOutcome write(std::string_view bytes, milliseconds patience) override {
        const auto deadline = Clock::now() + patience;
        std::size_t taken = 0;
        int error = 0;
        while (taken < bytes.size()) {
            const ssize_t sent = ::send(fd_, bytes.data() + taken, bytes.size() - taken, MSG_NOSIGNAL);
            if (sent >= 0) {
                taken += static_cast<std::size_t>(sent);
                continue;
            }
            error = errno;
            if (error != EINTR && (error != EAGAIN || !waitWritable(fd_, deadline))) {
                break;
            }
        }
        const bool outOfTime = error == EAGAIN || error == EINTR;
        return {taken, taken == bytes.size(),
                taken < bytes.size() && !outOfTime ? std::optional(static_cast<std::uint32_t>(error)) : std::nullopt};
    }

    RawOutcome drain(milliseconds patience) override {
        constexpr milliseconds askEvery{20};
        const auto deadline = Clock::now() + patience;
        for (;;) {
            int unacknowledged = 0;
            if (::ioctl(fd_, SIOCOUTQ, &unacknowledged) != 0) {
                return {0, false, static_cast<std::uint32_t>(errno)};
            }
            if (const int error = pendingError(fd_); error != 0) {
                return {0, false, static_cast<std::uint32_t>(error)};
            }
            if (unacknowledged == 0) {
                return {};
            }
            if (Clock::now() >= deadline) {
                return {0, false, std::nullopt};
            }
            // Wakes early only for an error or a hang-up: a closed connection
            // will never acknowledge what is left.
            pollfd watch{fd_, 0, 0};
            if (::poll(&watch, 1, static_cast<int>(askEvery.count())) > 0 && pendingError(fd_) == 0) {
                return {0, false, EPIPE};
            }
        }
    }

    [[nodiscard]] std::string describe(std::uint32_t error) const override {
        return describeSocketError(static_cast<int>(error), address_);
    }

private:
    int fd_;
    NetworkAddress address_;
};

}  // namespace

PortOpening openSocketPort(const NetworkAddress& address) {
    const auto deadline = Clock::now() + writePatience;
    const AddressList found = lookUp(address, deadline);
    if (found.fault) {
        return {nullptr, address.shown, networkFaultWords(*found.fault, address)};
    }
    int error = EADDRNOTAVAIL;
    for (const addrinfo* each = found.first.get(); each != nullptr; each = each->ai_next) {
        if (const int fd = connectTo(*each, deadline, error); fd >= 0) {
            return {std::make_unique<SocketPort>(fd, address), address.shown, {}};
        }
    }
    return {nullptr, address.shown, describeSocketError(error, address)};
}

}  // namespace label::platform
