#include "windows_socket_port.h"

// Winsock before the rest of the system's headers, which need its types.
#include <winsock2.h>

#include <windows.h>
#include <ws2tcpip.h>

#include <mstcpip.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "helper_thread.h"
#include "time_left.h"
#include "windows_errors.h"

namespace label::platform {
namespace {

using std::chrono::milliseconds;

// What is read at a time of what the printer says, to be thrown away.
constexpr std::size_t answerChunk = 512;

// Winsock is started once for the process and never stopped: the process
// ends with it.
bool winsockReady() {
    static const bool ready = [] {
        WSADATA data{};
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return ready;
}

timeval timevalLeft(Clock::time_point deadline) {
    constexpr long perSecond = 1000;
    const auto left = static_cast<long>(timeLeft(deadline).count());
    return {left / perSecond, (left % perSecond) * perSecond};
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

std::string describeSocketError(int error, const NetworkAddress& address) {
    if (const auto fault = faultOf(error)) {
        return networkFaultWords(*fault, address);
    }
    return describeError(static_cast<DWORD>(error));
}

// What the helper thread and the caller share; whoever is last frees it.
struct Lookup {
    std::string host;
    std::string port;
    int flags = 0;
    int status = 0;
    addrinfo* found = nullptr;

    Lookup() = default;
    Lookup(const Lookup&) = delete;
    Lookup& operator=(const Lookup&) = delete;
    ~Lookup() {
        if (found != nullptr) {
            freeaddrinfo(found);
        }
    }
};

void run(Lookup& lookup) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = lookup.flags | AI_NUMERICSERV;
    lookup.status = getaddrinfo(lookup.host.c_str(), lookup.port.c_str(), &hints, &lookup.found);
}

std::shared_ptr<Lookup> makeLookup(const NetworkAddress& address, int flags) {
    auto lookup = std::make_shared<Lookup>();
    lookup->host = address.host;
    lookup->port = std::to_string(address.port);
    lookup->flags = flags;
    return lookup;
}

// The addresses, or why there are none.
std::pair<std::shared_ptr<addrinfo>, std::optional<NetworkFault>> lookUp(const NetworkAddress& address,
                                                                         Clock::time_point deadline) {
    auto lookup = makeLookup(address, AI_NUMERICHOST);
    run(*lookup);
    if (lookup->status == EAI_NONAME) {
        lookup = makeLookup(address, 0);
        if (!answerBy<bool>(
                 [lookup] {
                     run(*lookup);
                     return true;
                 },
                 deadline)
                 .answer) {
            return {nullptr, NetworkFault::nameTimedOut};
        }
    }
    if (lookup->status != 0) {
        return {nullptr, NetworkFault::unknownName};
    }
    return {std::shared_ptr<addrinfo>(lookup, lookup->found), std::nullopt};
}

int pendingError(SOCKET socket) {
    int error = 0;
    int size = sizeof error;
    return getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) == 0 ? error
                                                                                                 : WSAGetLastError();
}

// True once the socket takes bytes (or its connection has failed) before the deadline.
bool waitWritable(SOCKET socket, Clock::time_point deadline) {
    fd_set writable{};
    fd_set failed{};
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(socket, &writable);
    FD_SET(socket, &failed);
    timeval left = timevalLeft(deadline);
    return select(0, nullptr, &writable, &failed, &left) > 0;
}

SOCKET connectTo(const addrinfo& address, Clock::time_point deadline, int& error) {
    const SOCKET socket = ::socket(address.ai_family, address.ai_socktype, address.ai_protocol);
    if (socket == INVALID_SOCKET) {
        error = WSAGetLastError();
        return INVALID_SOCKET;
    }
    u_long nonBlocking = 1;
    ioctlsocket(socket, static_cast<long>(FIONBIO), &nonBlocking);
    error = connect(socket, address.ai_addr, static_cast<int>(address.ai_addrlen)) == 0 ? 0 : WSAGetLastError();
    if (error == WSAEWOULDBLOCK) {
        error = waitWritable(socket, deadline) ? pendingError(socket) : WSAETIMEDOUT;
    }
    if (error == 0) {
        return socket;
    }
    closesocket(socket);
    return INVALID_SOCKET;
}

class SocketPort final : public RawPort {
public:
    SocketPort(SOCKET socket, NetworkAddress address) : socket_(socket), address_(std::move(address)) {}
    ~SocketPort() override {
        shutdown(socket_, SD_SEND);
        readAnswer();
        closesocket(socket_);
    }
    SocketPort(const SocketPort&) = delete;
    SocketPort& operator=(const SocketPort&) = delete;

    RawOutcome write(std::string_view bytes, milliseconds patience) override {
        const auto deadline = Clock::now() + patience;
        std::size_t taken = 0;
        int error = 0;
        while (taken < bytes.size()) {
            const int offered = static_cast<int>(std::min<std::size_t>(bytes.size() - taken, INT_MAX));
            const int sent = send(socket_, bytes.data() + taken, offered, 0);
            if (sent != SOCKET_ERROR) {
                taken += static_cast<std::size_t>(sent);
                handed_ += static_cast<std::uint64_t>(sent);
                continue;
            }
            error = WSAGetLastError();
            if (error != WSAEWOULDBLOCK || Clock::now() >= deadline || !waitWritable(socket_, deadline)) {
                break;
            }
        }
        const bool outOfTime = error == WSAEWOULDBLOCK;
        return {taken, taken == bytes.size(),
                taken < bytes.size() && !outOfTime ? std::optional(static_cast<std::uint32_t>(error)) : std::nullopt};
    }

    RawOutcome drain(milliseconds patience) override {
        constexpr milliseconds askEvery{20};
        const auto deadline = Clock::now() + patience;
        for (;;) {
            if (const int error = pendingError(socket_); error != 0) {
                return {0, false, static_cast<std::uint32_t>(error)};
            }
            const auto acknowledged = allAcknowledged();
            if (!acknowledged) {
                return awaitPrintersEnd(deadline);
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

    [[nodiscard]] std::string describe(std::uint32_t error) const override {
        return describeSocketError(static_cast<int>(error), address_);
    }

private:
    // Whether the printer has acknowledged all that was handed over, or
    // nothing where the system cannot say.
    [[nodiscard]] std::optional<bool> allAcknowledged() const {
        DWORD version = 0;
        TCP_INFO_v0 info{};
        DWORD size = 0;
        if (WSAIoctl(socket_, SIO_TCP_INFO, &version, sizeof version, &info, sizeof info, &size, nullptr, nullptr) !=
            0) {
            return std::nullopt;
        }
        return info.BytesInFlight == 0 && info.BytesOut - info.BytesRetrans >= handed_;
    }

    // Shuts the sending side, so that the printer sees the end, and waits
    // until it ends the connection in turn.
    RawOutcome awaitPrintersEnd(Clock::time_point deadline) {
        shutdown(socket_, SD_SEND);
        std::array<char, answerChunk> answer{};
        for (;;) {
            fd_set readable{};
            FD_ZERO(&readable);
            FD_SET(socket_, &readable);
            timeval left = timevalLeft(deadline);
            if (select(0, &readable, nullptr, nullptr, &left) <= 0) {
                return {0, false, std::nullopt};
            }
            const int read = recv(socket_, answer.data(), static_cast<int>(answer.size()), 0);
            if (read == 0) {
                return {};
            }
            if (read == SOCKET_ERROR && WSAGetLastError() != WSAEWOULDBLOCK) {
                return {0, false, static_cast<std::uint32_t>(WSAGetLastError())};
            }
        }
    }

    // An answer left unread would turn the close into a reset.
    void readAnswer() {
        std::array<char, answerChunk> answer{};
        while (recv(socket_, answer.data(), static_cast<int>(answer.size()), 0) > 0) {
        }
    }

    SOCKET socket_;
    NetworkAddress address_;
    std::uint64_t handed_ = 0;
};

}  // namespace

PortOpening openSocketPort(const NetworkAddress& address) {
    if (!winsockReady()) {
        return {nullptr, address.shown, describeSocketError(WSASYSNOTREADY, address)};
    }
    const auto deadline = Clock::now() + writePatience;
    const auto [found, fault] = lookUp(address, deadline);
    if (fault) {
        return {nullptr, address.shown, networkFaultWords(*fault, address)};
    }
    int error = WSAEADDRNOTAVAIL;
    for (const addrinfo* each = found.get(); each != nullptr; each = each->ai_next) {
        if (const SOCKET socket = connectTo(*each, deadline, error); socket != INVALID_SOCKET) {
            return {std::make_unique<SocketPort>(socket, address), address.shown, {}};
        }
    }
    return {nullptr, address.shown, describeSocketError(error, address)};
}

}  // namespace label::platform
