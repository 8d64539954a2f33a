#include "socket_calls.h"

#include <windows.h>

#include <mstcpip.h>

#include <algorithm>
#include <array>
#include <climits>

#include "time_left.h"
#include "windows_errors.h"

namespace label::platform {
namespace {

using std::chrono::milliseconds;

// What is read at a time of what the printer says, to be thrown away.
constexpr std::size_t answerChunk = 512;

timeval timevalLeft(Clock::time_point deadline) {
    constexpr long perSecond = 1000;
    const auto left = static_cast<long>(timeLeft(deadline).count());
    return {left / perSecond, (left % perSecond) * perSecond};
}

// Whether the printer has acknowledged all `handed` bytes, or nothing where
// the system cannot say.
std::optional<bool> allAcknowledged(Socket socket, std::uint64_t handed) {
    DWORD version = 0;
    TCP_INFO_v0 info{};
    DWORD size = 0;
    if (WSAIoctl(socket, SIO_TCP_INFO, &version, sizeof version, &info, sizeof info, &size, nullptr, nullptr) != 0) {
        return std::nullopt;
    }
    return info.BytesInFlight == 0 && info.BytesOut - info.BytesRetrans >= handed;
}

// Shuts the sending side, so that the printer sees the end, and waits until
// it ends the connection in turn.
RawOutcome awaitPrintersEnd(Socket socket, Clock::time_point deadline) {
    shutdown(socket, SD_SEND);
    std::array<char, answerChunk> answer{};
    for (;;) {
        fd_set readable{};
        FD_ZERO(&readable);
        FD_SET(socket, &readable);
        timeval left = timevalLeft(deadline);
        if (select(0, &readable, nullptr, nullptr, &left) <= 0) {
            return {0, false, std::nullopt};
        }
        const int read = recv(socket, answer.data(), static_cast<int>(answer.size()), 0);
        if (read == 0) {
            return {};
        }
        if (read == SOCKET_ERROR && WSAGetLastError() != WSAEWOULDBLOCK) {
            return {0, false, static_cast<std::uint32_t>(WSAGetLastError())};
        }
    }
}

}  // namespace

// Winsock is started once for the process and never stopped: the process
// ends with it.
int socketsUnusable() {
    static const int error = [] {
        WSADATA data{};
        return WSAStartup(MAKEWORD(2, 2), &data) == 0 ? 0 : WSASYSNOTREADY;
    }();
    return error;
}

int socketError() { return WSAGetLastError(); }

bool connecting(int error) { return error == WSAEWOULDBLOCK; }

Socket startConnecting(const addrinfo& address, int& error) {
    const Socket socket = ::socket(address.ai_family, address.ai_socktype, address.ai_protocol);
    if (socket == INVALID_SOCKET) {
        error = WSAGetLastError();
        return noSocket;
    }
    u_long nonBlocking = 1;
    ioctlsocket(socket, static_cast<long>(FIONBIO), &nonBlocking);
    error = connect(socket, address.ai_addr, static_cast<int>(address.ai_addrlen)) == 0 ? 0 : WSAGetLastError();
    if (error != 0 && !connecting(error)) {
        closesocket(socket);
        return noSocket;
    }
    return socket;
}

int connectionError(Socket socket) {
    int error = 0;
    int size = sizeof error;
    return getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) == 0 ? error
                                                                                                 : WSAGetLastError();
}

fd_set setOf(const std::vector<Socket>& sockets) {
    fd_set set{};
    FD_ZERO(&set);
    for (const Socket socket : sockets) {
        FD_SET(socket, &set);
    }
    return set;
}

// A failed connection shows in the exceptions, a made one as writable. The
// attempts under way are never more than the patience allows at one every
// nextAttemptDelay, far fewer than FD_SETSIZE.
std::vector<bool> connectionsEnded(const std::vector<Socket>& sockets, Clock::time_point until) {
    fd_set writable = setOf(sockets);
    fd_set failed = writable;
    timeval left = timevalLeft(until);
    std::vector<bool> ended(sockets.size(), false);
    if (select(0, nullptr, &writable, &failed, &left) > 0) {
        for (std::size_t each = 0; each < sockets.size(); ++each) {
            ended[each] = FD_ISSET(sockets[each], &writable) != 0 || FD_ISSET(sockets[each], &failed) != 0;
        }
    }
    return ended;
}

void closeSocket(Socket socket) { closesocket(socket); }

std::optional<std::size_t> sendSome(Socket socket, std::string_view bytes) {
    const int offered = static_cast<int>(std::min<std::size_t>(bytes.size(), INT_MAX));
    const int sent = send(socket, bytes.data(), offered, 0);
    return sent != SOCKET_ERROR ? std::optional(static_cast<std::size_t>(sent)) : std::nullopt;
}

bool mustWait(int error) { return error == WSAEWOULDBLOCK; }

// True once the socket takes bytes (or its connection has failed) before the deadline.
bool waitSendable(Socket socket, Clock::time_point deadline) { return connectionsEnded({socket}, deadline).front(); }

RawOutcome drainSocket(Socket socket, std::uint64_t handed, Clock::time_point deadline) {
    constexpr milliseconds askEvery{20};
    for (;;) {
        if (const int error = connectionError(socket); error != 0) {
            return {0, false, static_cast<std::uint32_t>(error)};
        }
        const auto acknowledged = allAcknowledged(socket, handed);
        if (!acknowledged) {
            return awaitPrintersEnd(socket, deadline);
        }
        if (*acknowledged) {
            return {};
        }
        if (Clock::now() >= deadline) {
            return {0, false, std::nullopt};
        }
        Sleep(static_cast<DWORD>(askEvery.count()));
    }
}

// An answer left unread would turn the close into a reset.
void letGoOfSocket(Socket socket) {
    shutdown(socket, SD_SEND);
    std::array<char, answerChunk> answer{};
    while (recv(socket, answer.data(), static_cast<int>(answer.size()), 0) > 0) {
    }
    closesocket(socket);
}

std::optional<NetworkFault> faultOf(int error) {
    switch (error) {
    case WSAECONNREFUSED:
        return NetworkFault::refused;
    case WSAENETUNREACH:
    case WSAEHOSTUNREACH:
    case WSAENETDOWN:
    case WSAEHOSTDOWN:
        return NetworkFault::unreachable;
    case WSAECONNRESET:
    case WSAECONNABORTED:
    case WSAESHUTDOWN:
    case WSAENETRESET:
        return NetworkFault::reset;
    case WSAETIMEDOUT:
        return NetworkFault::timedOut;
    default:
        return std::nullopt;
    }
}

std::string systemWords(int error) { return describeError(static_cast<DWORD>(error)); }

}  // namespace label::platform
