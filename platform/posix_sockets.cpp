#include "socket_calls.h"

#include <linux/sockios.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <array>
#include <cstring>

#include "posix_io.h"
#include "time_left.h"

namespace label::platform {
namespace {

using std::chrono::milliseconds;

// What is read at a time of what the printer says, to be thrown away.
constexpr std::size_t answerChunk = 512;

}  // namespace

int socketsUnusable() { return 0; }

int socketError() { return errno; }

bool connecting(int error) { return error == EINPROGRESS; }

Socket startConnecting(const addrinfo& address, int& error) {
    const int fd = ::socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, address.ai_protocol);
    if (fd < 0) {
        error = errno;
        return noSocket;
    }
    error = ::connect(fd, address.ai_addr, address.ai_addrlen) == 0 ? 0 : errno;
    if (error != 0 && !connecting(error)) {
        ::close(fd);
        return noSocket;
    }
    return fd;
}

int connectionError(Socket socket) {
    int error = 0;
    socklen_t size = sizeof error;
    return ::getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &size) == 0 ? error : errno;
}

std::vector<bool> connectionsEnded(const std::vector<Socket>& sockets, Clock::time_point until) {
    std::vector<pollfd> watches;
    watches.reserve(sockets.size());
    for (const Socket socket : sockets) {
        watches.push_back({socket, POLLOUT, 0});
    }
    std::vector<bool> ended(sockets.size(), false);
    if (::poll(watches.data(), watches.size(), static_cast<int>(timeLeft(until).count())) > 0) {
        for (std::size_t each = 0; each < watches.size(); ++each) {
            ended[each] = watches[each].revents != 0;
        }
    }
    return ended;
}

void closeSocket(Socket socket) { ::close(socket); }

std::optional<std::size_t> sendSome(Socket socket, std::string_view bytes) {
    const ssize_t sent = ::send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    return sent >= 0 ? std::optional(static_cast<std::size_t>(sent)) : std::nullopt;
}

bool mustWait(int error) { return error == EAGAIN || error == EWOULDBLOCK || error == EINTR; }

bool waitSendable(Socket socket, Clock::time_point deadline) { return waitWritable(socket, deadline); }

RawOutcome drainSocket(Socket socket, std::uint64_t /*handed*/, Clock::time_point deadline) {
    constexpr milliseconds askEvery{20};
    for (;;) {
        int unacknowledged = 0;
        if (::ioctl(socket, SIOCOUTQ, &unacknowledged) != 0) {
            return {0, false, static_cast<std::uint32_t>(errno)};
        }
        if (const int error = connectionError(socket); error != 0) {
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
        pollfd watch{socket, 0, 0};
        if (::poll(&watch, 1, static_cast<int>(askEvery.count())) > 0 && connectionError(socket) == 0) {
            return {0, false, EPIPE};
        }
    }
}

void letGoOfSocket(Socket socket) {
    ::shutdown(socket, SHUT_WR);
    std::array<char, answerChunk> answer{};
    while (::recv(socket, answer.data(), answer.size(), MSG_DONTWAIT) > 0) {
    }
    ::close(socket);
}

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

std::string systemWords(int error) { return std::strerror(error); }

}  // namespace label::platform
